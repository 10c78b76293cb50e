// What the page's server allows a client: connections, requests, sizes and
// times. The defaults serve a site's phones and an office's browsers.
#pragma once

#include <cstddef>

struct PageLimits {
  // Connections served at once, from anywhere and from one address; a
  // connection beyond them is answered 503 and closed.
  int maxClients = 64;
  int maxClientsPerAddress = 32;
  // Event streams open at once (each holds a connection); one beyond gets 503,
  // so streams never take every connection from the page's other requests.
  int maxStreams = 50;
  // Requests per second one address may make, and the burst it may make at once
  // (a page load is four); beyond them 429.
  double requestsPerSecond = 20;
  double requestBurst = 60;
  // Bytes of one request, its head and body together; beyond them 431.
  size_t maxRequestBytes = 16 * 1024;
  // From a request's first byte to its last; beyond it 408, whatever pace
  // the bytes come at.
  int requestTimeoutMs = 10'000;
  // A connection with no request in flight is closed after this.
  int idleTimeoutMs = 5'000;
  // A response, or an event stream, that the client takes nothing of for
  // this long is given up.
  int writeTimeoutMs = 10'000;
  // The TLS handshake, from the connection on.
  int handshakeTimeoutMs = 10'000;
  // How long a refused connection may take to send the request it is
  // refused for.
  int refusalTimeoutMs = 1'000;
  // An event stream sends a ping this often, so the page knows the logger is there.
  int pingIntervalMs = 5'000;
  // Requests one connection may make before it is closed.
  int maxRequestsPerConnection = 100;
};
