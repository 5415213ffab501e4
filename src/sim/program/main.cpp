// zentra-sim: serves a simulated DGLnano interface, with a simulated transmitter in
// front of its IR window, on a pseudo-terminal. The first line of output is the path of
// the terminal; the configurator then uses it with --port PATH like a real interface.
// Runs until SIGINT, SIGTERM or the command "quit" on standard input (see RunCommand).
#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "buildinfo/BuildInfo.h"
#include "device/AccessCodes.h"
#include "sim/SimWorld.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string s;
  char buf[4];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    s += buf;
  }
  if (!s.empty()) s.pop_back();
  return s;
}

// Demo control on standard input: "leave" takes the transmitter away from the IR
// window, "enter" brings it back, "enter MODEL[@VERSION][/VARIANT]" puts another one in
// front of it, "status" tells what stands there, "quit" ends the program.
bool RunCommand(const std::string& line, zentra::sim::VirtualInterface& iface) {
  std::istringstream in(line);
  std::string verb, arg;
  in >> verb >> arg;
  if (verb.empty()) return true;
  if (verb == "quit" || verb == "q") return false;
  if (verb == "leave" || verb == "l") {
    iface.Leave();
  } else if (verb == "enter" || verb == "e") {
    if (arg.empty()) {
      iface.SetTransmitterPresent(true);
    } else {
      zentra::sim::TransmitterSpec spec;
      std::string error;
      if (!zentra::sim::ParseTransmitterSpec(arg, spec, error)) {
        std::fprintf(stderr, "zentra-sim: %s\n", error.c_str());
        return true;
      }
      iface.Enter(spec);
    }
  } else if (verb != "status" && verb != "s") {
    std::fprintf(stderr, "zentra-sim: commands are leave, enter [MODEL], status, quit\n");
    return true;
  }
  auto* tx = iface.transmitter();
  std::fprintf(stderr, "zentra-sim: %s in front of the IR window\n",
               tx ? tx->identityText().c_str() : "nothing");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zentra;
  CLI::App app{"Simulated DGLnano IR interface with a transmitter, on a pseudo-terminal"};
  std::string model;
  std::string spec;
  std::string accessCodesFile;
  std::string linkPath;
  bool verbose = false;
  app.add_option("MODEL", model,
                 "Transmitter and options, e.g. ZQL22X@129 or ZQL21@123/U,groups=8 "
                 "(the part of a SPEC after 'nano:')");
  app.add_option("--spec", spec, "A whole simulation SPEC; its first nano interface is served")
      ->excludes("MODEL");
  app.add_option("--access-codes", accessCodesFile,
                 "INI file with the access codes ([access] handheld, bodypack, service)");
  app.add_option("--link", linkPath, "Also make a symbolic link at PATH to the terminal");
  app.add_flag("-v,--verbose", verbose, "Print every transmitter request on stderr");
  app.set_version_flag("--version", std::string("zentra-sim ") + kZentraVersion,
                       "Print the version and exit");
  app.footer(sim::SimSpecHelp() +
             "\n\nExit status: 0 ended by the command quit, SIGINT or SIGTERM; 1 the "
             "pseudo-terminal or the --link could not be made; 2 bad arguments, SPEC or "
             "access codes.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --version
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // Bad arguments end with status 2, as a malformed SPEC does.
    app.exit(e);
    return 2;
  }

  AccessCodes codes{};
  std::string error;
  if (!ResolveAccessCodes(accessCodesFile, codes, error)) {
    std::cerr << "zentra-sim: " << error << "\n";
    return 2;
  }
  SetActiveAccessCodes(codes);

  if (spec.empty()) spec = "nano:" + (model.empty() ? std::string("ZQL22X@129") : model);
  auto world = sim::SimWorld::FromSpec(spec, error);
  if (!world) {
    std::cerr << "zentra-sim: " << error << "\n";
    return 2;
  }
  sim::VirtualInterface* iface = nullptr;
  for (int i = 0; i < world->interfaceCount() && iface == nullptr; ++i)
    if (world->interface(i).kind() == sim::SimKind::Nano) iface = &world->interface(i);
  if (iface == nullptr) {
    std::cerr << "zentra-sim: the SPEC has no nano interface to serve\n";
    return 2;
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("zentra-sim: pseudo-terminal");
    return 1;
  }
  const char* slaveName = ptsname(master);
  if (slaveName == nullptr) {
    std::perror("zentra-sim: ptsname");
    return 1;
  }
  const std::string slavePath = slaveName;
  // Holding the terminal open ourselves keeps the line up between clients; raw mode so
  // that frame bytes pass untouched.
  const int slaveHold = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  if (slaveHold >= 0 && tcgetattr(slaveHold, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tcsetattr(slaveHold, TCSANOW, &tio);
  }
  if (!linkPath.empty()) {
    unlink(linkPath.c_str());
    if (symlink(slavePath.c_str(), linkPath.c_str()) != 0) {
      std::perror("zentra-sim: --link");
      return 1;
    }
  }

  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::printf("%s\n", slavePath.c_str());
  std::fflush(stdout);
  if (verbose) {
    auto* tx = iface->transmitter();
    std::fprintf(stderr, "zentra-sim: %s in front of %s\n",
                 tx ? tx->identityText().c_str() : "nothing", iface->friendlyName().c_str());
  }

  iface->OpenHost();
  size_t logged = 0;
  uint8_t buffer[512];
  bool watchInput = true;  // commands on standard input until it ends
  std::string commandLine;
  while (!stopRequested) {
    // Wake for host bytes, for commands, or when queued reply bytes become due.
    pollfd pfd[2] = {{master, POLLIN, 0}, {watchInput ? STDIN_FILENO : -1, POLLIN, 0}};
    const int timeoutMs = iface->MoreComing() ? 1 : 20;
    const int r = poll(pfd, 2, timeoutMs);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (r > 0 && (pfd[0].revents & POLLIN)) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) iface->HostWrite(buffer, static_cast<int>(n));
    } else if (r > 0 && (pfd[0].revents & (POLLHUP | POLLERR))) {
      usleep(20000);
    }
    if (r > 0 && (pfd[1].revents & (POLLIN | POLLHUP))) {
      char chunk[256];
      const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
      if (n <= 0) watchInput = false;
      else commandLine.append(chunk, static_cast<size_t>(n));
      for (size_t eol; (eol = commandLine.find('\n')) != std::string::npos;) {
        const std::string command = commandLine.substr(0, eol);
        commandLine.erase(0, eol + 1);
        if (!RunCommand(command, *iface)) stopRequested = 1;
      }
    }
    const int ready = iface->HostRead(buffer, sizeof buffer);
    for (int off = 0; off < ready;) {
      const ssize_t w = write(master, buffer + off, ready - off);
      if (w <= 0) break;
      off += static_cast<size_t>(w);
    }
    if (verbose) {
      const auto& log = world->requestLog();
      for (; logged < log.size(); ++logged)
        std::fprintf(stderr, "%s %s\n", log[logged].answered ? "answered" : "no answer",
                     Hex(log[logged].request).c_str());
    }
  }
  if (!linkPath.empty()) unlink(linkPath.c_str());
  if (slaveHold >= 0) close(slaveHold);
  close(master);
  return 0;
}
