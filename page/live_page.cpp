// The live page: state, server and how to reach them.
#include "page/live_page.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

#include "page/access_guard.h"
#include "page/connection_stream.h"
#include "page/page_server.h"
#include "page/run_event_text.h"
#include "page/tls_context.h"

namespace {

// The addresses of this machine a page bound to address is reached on:
// address itself, or for 0.0.0.0 and :: every address of the machine's
// interfaces that are up (IPv4 first; loopback and link-local left out, as a
// browser elsewhere cannot use them).
std::vector<std::string> ReachableAddresses(const std::string& address) {
  const bool anyV4 = address == "0.0.0.0";
  const bool anyV6 = address == "::";
  if (!anyV4 && !anyV6) return {address};
  std::vector<std::string> v4;
  std::vector<std::string> v6;
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) == 0) {
    for (const ifaddrs* entry = interfaces; entry; entry = entry->ifa_next) {
      if (!entry->ifa_addr || !(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) continue;
      const int family = entry->ifa_addr->sa_family;
      if (family == AF_INET6 &&
          IN6_IS_ADDR_LINKLOCAL(&reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr)) {
        continue;
      }
      sockaddr_storage storage{};
      std::memcpy(&storage, entry->ifa_addr, family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
      std::string ip;
      int port = 0;
      if (family == AF_INET) {
        if (SocketAddressText(storage, ip, port)) v4.push_back(ip);
      } else if (family == AF_INET6 && anyV6) {
        if (SocketAddressText(storage, ip, port)) v6.push_back(ip);
      }
    }
    freeifaddrs(interfaces);
  }
  v4.insert(v4.end(), v6.begin(), v6.end());
  if (v4.empty()) v4.push_back(anyV4 ? "127.0.0.1" : "::1");
  return v4;
}

std::string PageUrl(const std::string& address, int port, bool tls) {
  const bool v6 = address.find(':') != std::string::npos;
  return std::string(tls ? "https://" : "http://") + (v6 ? "[" + address + "]" : address) + ":" +
         std::to_string(port) + "/";
}

}  // namespace

std::unique_ptr<LivePage> LivePage::Start(const PageSettings& settings, std::string& error,
                                          const PageLimits& limits) {
  std::string token;
  if (!settings.tokenFile.empty()) {
    if (!ReadTokenFile(settings.tokenFile, token, error)) return nullptr;
  } else if (PageNeedsToken(settings)) {
    token = RandomSecret(kGeneratedTokenBytes);
    if (token.empty()) {
      error = "Cannot make an access token for the page: the system gives no random numbers.";
      return nullptr;
    }
  }
  TlsContext tlsContext;
  if (!settings.certFile.empty()) {
    tlsContext = MakeTlsContext(settings.certFile, settings.keyFile, error);
    if (!tlsContext) return nullptr;
  }
  const bool tls = tlsContext != nullptr;
  std::unique_ptr<LivePage> page(new LivePage());
  page->m_server = std::make_unique<PageServer>(page->m_state, limits, std::move(tlsContext), token);
  if (!page->m_server->Start(settings.address, settings.port, error)) return nullptr;

  for (const std::string& address : ReachableAddresses(settings.address)) {
    page->m_access.urls.push_back(PageUrl(address, page->port(), tls));
  }
  page->m_access.token = token;
  page->m_access.tokenFile = settings.tokenFile;
  if (!token.empty()) {
    page->m_access.signInLink =
        page->m_access.urls.front() + "login?code=" + page->m_server->access().signInCode();
  }
  return page;
}

LivePage::LivePage() = default;

LivePage::~LivePage() {
  if (m_server) m_server->Stop();
}

int LivePage::port() const { return m_server->port(); }

void LivePage::AddChange(const ChangeEvent& change) {
  if (const std::optional<PageEvent> entry = PageEventOfChange(change)) m_state.AddEvent(*entry);
}

std::vector<std::string> FormatPageAccess(const PageAccess& access) {
  std::vector<std::string> lines;
  std::string where = "live page on " + access.urls.front();
  for (size_t u = 1; u < access.urls.size(); ++u) where += (u == 1 ? " (also " : ", ") + access.urls[u];
  if (access.urls.size() > 1) where += ")";
  if (access.token.empty()) {
    lines.push_back(where + ", for this machine only");
    return lines;
  }
  lines.push_back(where);
  if (access.tokenFile.empty()) {
    lines.push_back("page access token (shown only now): " + access.token);
  } else {
    lines.push_back("page access token: the first line of " + access.tokenFile);
  }
  lines.push_back("sign-in link for one browser (works once): " + access.signInLink);
  return lines;
}
