// The live page: the unit lists, the banner, the run and the events, kept up
// to date from the logger's event stream (/api/stream). Read only.
"use strict";

(() => {
  // The logger pings every 5 s; this long without a word, it has gone.
  const GONE_AFTER_MS = 12000;
  // What a sparkline spans, and the gap between records it does not join.
  const SPAN_MS = 10 * 60 * 1000;
  const BREAK_MS = 15 * 1000;
  // Points kept per sparkline, whatever the records' pace.
  const MAX_POINTS = 8192;
  // Sparklines are redrawn at most this often.
  const DRAW_INTERVAL_MS = 1000;
  // Entries the event list shows.
  const MAX_EVENTS = 200;
  const SVG = "http://www.w3.org/2000/svg";

  const $ = (id) => document.getElementById(id);
  const tabsElement = $("tabs");
  const panelsElement = $("panels");
  const eventsElement = $("events");

  // By layout row: the Value cell, and for numeric rows the sparkline.
  let rows = [];
  let tabCount = 0;
  let selectedTab = Number((location.hash.match(/^#tab=(\d+)$/) || [])[1] || 0);
  let lastWord = Date.now();
  let gone = false;
  let ended = false;
  let lastRecordText = "";
  let sparksDirty = false;
  let run = { state: "none" };

  // "2015-03-07T14:05:09.042" as "14:05:09", with the date when asked.
  function clock(iso, withDate) {
    if (!iso) return "";
    const time = iso.slice(11, 19);
    return withDate ? iso.slice(0, 10) + " " + time : time;
  }
  function nowClock() {
    return new Date().toTimeString().slice(0, 8);
  }
  function count(n) {
    return n.toLocaleString("en-US");
  }

  function selectTab(index) {
    selectedTab = Math.min(Math.max(index, 0), Math.max(tabCount - 1, 0));
    tabsElement.querySelectorAll(".tab").forEach((tab, i) => {
      tab.setAttribute("aria-selected", i === selectedTab ? "true" : "false");
      tab.tabIndex = i === selectedTab ? 0 : -1;
    });
    panelsElement.querySelectorAll(".panel").forEach((panel, i) => {
      panel.hidden = i !== selectedTab;
    });
    history.replaceState(null, "", "#tab=" + selectedTab);
    drawSparks();
  }

  function buildTabs(tabs) {
    tabsElement.replaceChildren();
    panelsElement.replaceChildren();
    rows = [];
    tabCount = tabs.length;
    tabs.forEach((tab, t) => {
      const button = document.createElement("button");
      button.type = "button";
      button.className = "tab";
      button.id = "tab-" + t;
      button.setAttribute("role", "tab");
      button.setAttribute("aria-controls", "panel-" + t);
      button.textContent = tab.text;
      button.addEventListener("click", () => selectTab(t));
      button.addEventListener("keydown", (event) => {
        const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
        if (!step) return;
        selectTab((t + step + tabCount) % tabCount);
        tabsElement.children[selectedTab].focus();
      });
      tabsElement.append(button);

      const panel = document.createElement("section");
      panel.className = "panel";
      panel.id = "panel-" + t;
      panel.setAttribute("role", "tabpanel");
      panel.setAttribute("aria-labelledby", button.id);
      const table = document.createElement("table");
      table.className = "values";
      // The browser notes when the values are first painted (Element Timing).
      table.setAttribute("elementtiming", "values");
      table.innerHTML =
        '<thead><tr><th class="p" scope="col">Parameter</th><th class="v" scope="col">Value</th>' +
        '<th class="s" scope="col">Last 10 min</th></tr></thead>';
      const body = document.createElement("tbody");
      for (const row of tab.rows) {
        const tr = document.createElement("tr");
        const parameter = document.createElement("th");
        parameter.className = "p";
        parameter.scope = "row";
        parameter.textContent = row.parameter;
        const value = document.createElement("td");
        value.className = "v";
        value.textContent = row.value;
        const sparkCell = document.createElement("td");
        sparkCell.className = "s";
        const entry = { value, tab: t, times: [], values: [], path: null, svg: null };
        if (row.quantity !== "none") {
          entry.svg = document.createElementNS(SVG, "svg");
          entry.svg.setAttribute("class", "spark");
          entry.svg.setAttribute("viewBox", "0 0 120 28");
          entry.svg.setAttribute("preserveAspectRatio", "none");
          entry.svg.setAttribute("role", "img");
          entry.path = document.createElementNS(SVG, "path");
          entry.title = document.createElementNS(SVG, "title");
          entry.svg.append(entry.title, entry.path);
          sparkCell.append(entry.svg);
        }
        tr.append(parameter, value, sparkCell);
        body.append(tr);
        rows[row.row] = entry;
      }
      table.append(body);
      panel.append(table);
      panelsElement.append(panel);
    });
    selectTab(selectedTab);
  }

  function addPoint(entry, timeMs, value) {
    const last = entry.times.length - 1;
    if (last >= 0 && timeMs - entry.times[last] > BREAK_MS) {
      entry.times.push(timeMs);
      entry.values.push(null);
    }
    entry.times.push(timeMs);
    entry.values.push(value);
    let drop = 0;
    while (drop < entry.times.length && (entry.times[drop] < timeMs - SPAN_MS || entry.times.length - drop > MAX_POINTS)) drop++;
    if (drop > 0) {
      entry.times.splice(0, drop);
      entry.values.splice(0, drop);
    }
  }

  function drawSpark(entry) {
    if (!entry.path) return;
    const times = entry.times;
    const values = entry.values;
    let low = Infinity;
    let high = -Infinity;
    for (const v of values) {
      if (v === null) continue;
      low = Math.min(low, v);
      high = Math.max(high, v);
    }
    if (low === Infinity) {
      entry.path.setAttribute("d", "");
      entry.title.textContent = "No values in the last 10 minutes";
      return;
    }
    const end = times[times.length - 1];
    const range = high - low || 1;
    let d = "";
    let pen = "M";
    for (let i = 0; i < times.length; i++) {
      if (values[i] === null) {
        pen = "M";
        continue;
      }
      const x = ((times[i] - (end - SPAN_MS)) / SPAN_MS) * 120;
      const y = high === low ? 14 : 26 - ((values[i] - low) / range) * 24;
      d += pen + x.toFixed(1) + " " + y.toFixed(1);
      pen = "L";
    }
    entry.path.setAttribute("d", d);
    entry.title.textContent = "Last 10 minutes: lowest " + low + ", highest " + high;
  }

  // Only the shown tab's sparklines are drawn; the others when shown.
  function drawSparks() {
    for (const entry of rows) {
      if (entry && entry.tab === selectedTab) drawSpark(entry);
    }
    sparksDirty = false;
  }

  function showLink(link) {
    $("banner").hidden = !link.banner;
    const element = $("link");
    const words = {
      receiving: "Receiving",
      quiet: "No records",
      lost: "Line lost",
      "no-frame-matches": "No frame matches",
      idle: "No run",
    };
    element.className = "link link-" + link.state;
    element.textContent = words[link.state] || link.state;
    element.title = link.text || "";
  }

  function showRun(state) {
    run = state;
    const runElement = $("run");
    const download = $("download");
    ended = state.state === "ended";
    if (state.state === "none") {
      runElement.textContent = "The logger has no run yet.";
      download.hidden = true;
      return;
    }
    const what = state.replay
      ? "Replay of " + state.replayLog.split("/").pop()
      : "Run on " + state.port;
    let text = what + " since " + clock(state.started.time, true) + " · " + count(state.records) + " records";
    if (lastRecordText) text += " · last at " + lastRecordText;
    if (state.archiving && state.archiving.total > 0) {
      text += " · Stop: archiving the log, " + Math.floor((100 * state.archiving.done) / state.archiving.total) + " %";
    }
    if (ended) {
      text = what + " ended at " + clock(state.ended.time, true) + " after " + count(state.records) + " records";
      if (state.archive) text += " · archive " + state.archive.split("/").pop();
    }
    runElement.textContent = text;
    download.hidden = !state.log;
    download.textContent = "Download the log (" + state.logName + ")";
  }

  function eventItem(event) {
    const item = document.createElement("li");
    item.className = "event event-" + event.severity;
    const time = document.createElement("time");
    time.dateTime = event.time;
    time.textContent = clock(event.time, false);
    const text = document.createElement("span");
    text.textContent = event.parameter
      ? event.tab + " · " + event.parameter + ": " + event.before + " → " + event.after
      : event.text;
    item.append(time, text);
    return item;
  }

  function addEvent(event) {
    eventsElement.prepend(eventItem(event));
    while (eventsElement.children.length > MAX_EVENTS) eventsElement.lastChild.remove();
    $("no-events").hidden = true;
  }

  function showGone(text) {
    gone = true;
    const element = $("gone");
    element.textContent = text;
    element.hidden = false;
    document.documentElement.dataset.gone = "true";
  }

  function heard() {
    lastWord = Date.now();
    if (gone) {
      gone = false;
      $("gone").hidden = true;
      delete document.documentElement.dataset.gone;
    }
  }

  function applyState(state) {
    heard();
    buildTabs(state.tabs);
    for (const series of state.series.rows) {
      const entry = rows[series.row];
      if (!entry) continue;
      entry.times = series.t.map((t) => t + state.series.endMs);
      entry.values = series.v;
    }
    lastRecordText = state.record ? clock(state.record.time, false) : "";
    document.documentElement.dataset.sequence = state.record ? state.record.sequence : 0;
    showLink(state.link);
    showRun(state.run);
    eventsElement.replaceChildren();
    $("no-events").hidden = state.events.length > 0;
    for (const event of state.events) addEvent(event);
    drawSparks();
  }

  function applyRecord(record) {
    heard();
    record.texts.forEach((text, row) => {
      const entry = rows[row];
      if (entry && entry.value.textContent !== text) entry.value.textContent = text;
    });
    record.numbers.forEach((number, row) => {
      const entry = rows[row];
      if (entry && entry.path) addPoint(entry, record.timeMs, number);
    });
    sparksDirty = true;
    lastRecordText = clock(record.time, false);
    run.records = record.sequence;
    showRun(run);
    document.documentElement.dataset.sequence = record.sequence;
  }

  const source = new EventSource("/api/stream");
  source.addEventListener("state", (message) => applyState(JSON.parse(message.data)));
  source.addEventListener("record", (message) => applyRecord(JSON.parse(message.data)));
  source.addEventListener("link", (message) => {
    heard();
    showLink(JSON.parse(message.data));
  });
  source.addEventListener("run", (message) => {
    heard();
    showRun(Object.assign(run, JSON.parse(message.data)));
  });
  source.addEventListener("event", (message) => {
    heard();
    addEvent(JSON.parse(message.data));
  });
  source.addEventListener("ping", heard);
  source.addEventListener("bye", () => {
    showGone("The logger stopped serving this page at " + nowClock() + ". The values below are the last it sent; the page comes back by itself when the logger does.");
  });
  source.addEventListener("error", () => {
    if (!gone) showGone("The logger does not answer since " + nowClock() + ". The values below are the last it sent; the page keeps trying.");
  });

  setInterval(() => {
    if (!gone && Date.now() - lastWord > GONE_AFTER_MS) {
      showGone("No word from the logger since " + new Date(lastWord).toTimeString().slice(0, 8) + ". The values below are the last it sent.");
    }
    if (sparksDirty) drawSparks();
  }, DRAW_INTERVAL_MS);
})();
