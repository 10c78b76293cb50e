// A real mosquitto broker for one test: its own configuration in a temporary
// folder, a free loopback port, persistence on (saved every second), and
// optionally a password file (made with mosquitto_passwd) or a TLS listener
// with a certificate the test makes with openssl. Stopped with the test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "testkit/child_process.h"
#include "testkit/free_port.h"
#include "testkit/run_command.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"

inline constexpr const char* kMosquittoProgram = "/usr/sbin/mosquitto";

// Whether something accepts TCP connections on the loopback port.
inline bool PortAccepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool accepted = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return accepted;
}

struct TestBrokerOptions {
  std::string user;  // with password: only this user may connect
  std::string password;
  // TLS: a CA and a server certificate for serverName (as its common name
  // and only subject alternative name).
  bool tls = false;
  std::string serverName = "localhost";
};

class TestBroker {
 public:
  explicit TestBroker(TestBrokerOptions options = {}) : m_options(std::move(options)) {
    m_port = FreeLoopbackPort();
  }
  ~TestBroker() { m_process.Stop(); }

  static bool Available() { return access(kMosquittoProgram, X_OK) == 0; }

  // Writes the configuration (once) and starts the broker; true once it
  // takes connections.
  bool Start() {
    if (!m_configured && !Configure()) return false;
    if (!m_process.Start({kMosquittoProgram, "-c", m_folder.Path("mosquitto.conf")},
                         m_folder.Path("broker.out"))) {
      return false;
    }
    return WaitUntil([this] { return PortAccepts(m_port); }, 10'000);
  }
  // kill -9: nothing saved since the last autosave.
  void Kill() { m_process.Kill(); }
  // SIGTERM: the broker saves its state and ends.
  void Stop() { m_process.Stop(); }

  int Port() const { return m_port; }
  std::string Url() const {
    return std::string(m_options.tls ? "mqtts" : "mqtt") + "://localhost:" + std::to_string(m_port);
  }
  std::string CaFile() const { return m_folder.Path("ca.crt"); }
  const TempFolder& Folder() const { return m_folder; }
  std::string Output() const { return m_process.Output(); }

 private:
  bool Configure() {
    std::string config = "listener " + std::to_string(m_port) + " 127.0.0.1\n";
    // Run as whoever runs the test: root would otherwise drop to the
    // mosquitto user, who cannot write the test's folder.
    if (const passwd* user = getpwuid(getuid())) config += std::string("user ") + user->pw_name + "\n";
    config += "persistence true\npersistence_location " + m_folder.path() + "/\n";
    config += "autosave_interval 1\nmax_queued_messages 0\nmax_inflight_messages 0\n";
    config += "log_dest file " + m_folder.Path("broker.log") + "\nlog_type all\n";
    if (m_options.password.empty()) {
      config += "allow_anonymous true\n";
    } else {
      const std::string file = m_folder.Path("passwords");
      if (RunCommand("mosquitto_passwd -b -c '" + file + "' '" + m_options.user + "' '" + m_options.password +
                     "' 2>&1")
              .exitCode != 0) {
        return false;
      }
      config += "allow_anonymous false\npassword_file " + file + "\n";
    }
    if (m_options.tls) {
      if (!MakeCertificates()) return false;
      config += "cafile " + m_folder.Path("ca.crt") + "\ncertfile " + m_folder.Path("server.crt") +
                "\nkeyfile " + m_folder.Path("server.key") + "\n";
    }
    m_folder.Write("mosquitto.conf", config);
    m_configured = true;
    return true;
  }

  bool MakeCertificates() {
    const std::string dir = m_folder.path();
    const std::string name = m_options.serverName;
    const std::string commands =
        "cd '" + dir + "' && " +
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Plenx Test CA' -keyout ca.key -out "
        "ca.crt "
        "2>/dev/null && "
        "openssl req -newkey rsa:2048 -nodes -subj '/CN=" +
        name +
        "' -keyout server.key -out server.csr 2>/dev/null && "
        "printf 'subjectAltName=DNS:" +
        name +
        "\\n' > san.ext && "
        "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext "
        "-out server.crt 2>/dev/null";
    return RunCommand(commands).exitCode == 0;
  }

  TestBrokerOptions m_options;
  TempFolder m_folder;
  int m_port = 0;
  bool m_configured = false;
  ChildProcess m_process;
};
