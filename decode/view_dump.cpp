// Text form of the unit views.
#include "decode/view_dump.h"

#include "config/text_encoding.h"

void AppendDumpTab(const DumpTab& tab, std::string& out) {
  out += '[';
  AppendShownTextAsUtf8(tab.text, out);
  out += "]\n";
  for (const DumpRow& row : tab.rows) {
    AppendShownTextAsUtf8(row.parameter, out);
    out += '\t';
    AppendShownTextAsUtf8(row.value, out);
    out += '\n';
  }
}

void AppendViewDump(const ViewDump& dump, std::string& out) {
  out += dump.bannerShown ? "banner: shown\n" : "banner: hidden\n";
  for (const DumpTab& tab : dump.tabs) AppendDumpTab(tab, out);
}
