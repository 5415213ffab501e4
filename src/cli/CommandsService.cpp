// eeprom, cal and service: the memory transfers and factory operations of the service
// tools. Every service command is preceded by the unlock with the service access code.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "device/ServiceOperations.h"
#include "files/MemoryTransfer.h"

namespace zentra::cli {

namespace {

enum class Op { Dump, Load, Verify };

const char* OpName(Op op) {
  switch (op) {
    case Op::Dump: return "dump";
    case Op::Load: return "load";
    case Op::Verify: return "verify";
  }
  return "";
}

// Prints the outcome of a transfer in the dialogs' words and picks the exit status.
int ReportTransfer(Session& session, Op op, const std::string& path, const TransferResult& r) {
  if (session.options().json) {
    JsonObject o;
    o.Add("operation", OpName(op)).Add("file", path).Add("bytes", r.byteCount)
        .Add("failedBlocks", r.failedBlocks).Add("differences", r.differences)
        .Add("memo", r.memo).Add("message", r.message).Add("ok", r.ok());
    std::printf("%s\n", o.str().c_str());
  } else {
    for (const auto& line : r.memo) std::printf("%s\n", line.c_str());
  }
  if (!r.message.empty()) PrintError(r.message);
  switch (r.status) {
    case TransferStatus::RangeRefused:
      return kExitUsage;
    case TransferStatus::Aborted:
      PrintError("Interrupted; " + std::string(op == Op::Dump ? "no file written" : "transfer incomplete"));
      return kExitInterrupted;
    case TransferStatus::Done:
      break;
    default:
      return kExitFailed;
  }
  if (r.failedBlocks > 0) {
    PrintError(std::to_string(r.failedBlocks) +
               " block(s) could not be read; their bytes are 0 in the file");
    return kExitFailed;
  }
  if (!session.options().json) {
    switch (op) {
      case Op::Dump: std::printf("Dumped %d bytes to %s\n", r.byteCount, path.c_str()); break;
      case Op::Load: std::printf("Loaded %d bytes from %s\n", r.byteCount, path.c_str()); break;
      case Op::Verify: std::printf("Verified %d bytes: no difference\n", r.byteCount); break;
    }
  }
  return kExitOk;
}

TransferObserver TerminalObserver(ProgressBar& bar) {
  TransferObserver o;
  o.setMaximum = [&bar](int m) { bar.SetMaximum(m); };
  o.setPosition = [&bar](int p) { bar.SetPosition(p); };
  o.aborted = [] { return Interrupted(); };
  o.betweenBlocks = [] {};
  return o;
}

int RunEeprom(Session& session, Op op, const std::string& pattern, const std::string& start,
              const std::string& stop) {
  const std::string path = ExpandFileName(pattern, session);
  MemoryBlockAccess io = XeepromAccess(session.service());
  TransferResult r;
  {
    ProgressBar bar(std::string("XEEPROM ") + OpName(op));
    const TransferObserver o = TerminalObserver(bar);
    switch (op) {
      case Op::Dump: r = DumpXeeprom(io, start, stop, path, o); break;
      case Op::Load: r = LoadXeeprom(io, start, stop, path, o); break;
      case Op::Verify: r = VerifyXeeprom(io, start, stop, path, o); break;
    }
  }
  return ReportTransfer(session, op, path, r);
}

int RunCal(Session& session, Op op, const std::string& pattern, int page) {
  const std::string path = ExpandFileName(pattern, session);
  MemoryBlockAccess io = CalibrationAccess(session.service());
  TransferResult r;
  {
    ProgressBar bar(std::string("Calibration ") + OpName(op));
    const TransferObserver o = TerminalObserver(bar);
    switch (op) {
      case Op::Dump: r = DumpCalibration(io, page, path, o); break;
      case Op::Load: r = LoadCalibration(io, page, path, o); break;
      case Op::Verify: r = VerifyCalibration(io, page, path, o); break;
    }
  }
  return ReportTransfer(session, op, path, r);
}

// The CRC check as the two CRC labels show it; a bad CRC is a failed check.
int ShowCrc(const CrcOutcome& crc) {
  if (!crc.answered) {
    PrintError("CRC check: no answer from the transmitter");
    return kExitFailed;
  }
  std::printf("%s\n", CrcCaption(crc.good));
  return crc.good ? kExitOk : kExitFailed;
}

int Crc(Session& session) { return ShowCrc(RunCrcCheck(session.service())); }

// What a serial number or identity write ends with: the value read back, the CRC, and
// an exit status that fails when any of the three steps failed.
int ReportIdentityWrite(const IdentityWriteOutcome& o, const std::string& label,
                        const std::string& value, const char* what) {
  std::printf("%s: %s\n", label.c_str(), o.reread ? value.c_str() : "-");
  const int crc = ShowCrc(o.crc);
  if (!o.written) {
    PrintError(std::string("The transmitter did not acknowledge the ") + what);
    return kExitFailed;
  }
  return o.reread ? crc : kExitFailed;
}

int WriteSerial(Session& session, const std::string& text) {
  if (text.size() > kServiceTextLength) PrintError("Only the first 10 characters are written");
  const IdentityWriteOutcome o =
      WriteSerialAndCheck(session.service(), session.commands(), text);
  return ReportIdentityWrite(o, "Serial", Printable(session.data().SerialText()),
                             "serial number");
}

int WriteId(Session& session, const std::string& text) {
  if (text.size() > kServiceTextLength) PrintError("Only the first 10 characters are written");
  const IdentityWriteOutcome o =
      WriteIdentityAndCheck(session.service(), session.commands(), session.data(), text);
  return ReportIdentityWrite(o, "Identity", "\"" + Printable(session.data().IdText()) + "\"",
                             "identity");
}

int Simple(bool ok, const char* what) {
  if (!ok) {
    PrintError(std::string(what) + ": the transmitter did not answer as expected");
    return kExitFailed;
  }
  std::printf("%s: done\n", what);
  return kExitOk;
}

void AddTransfers(CLI::App& parent, ChosenCommand& chosen, bool calibration) {
  const char* memory = calibration ? "calibration EEPROM" : "external EEPROM (XEEPROM)";
  for (Op op : {Op::Dump, Op::Load, Op::Verify}) {
    std::string help;
    switch (op) {
      case Op::Dump: help = std::string("Read the ") + memory + " into a raw .bin file"; break;
      case Op::Load: help = std::string("Write a raw .bin file into the ") + memory; break;
      case Op::Verify: help = std::string("Compare the ") + memory + " with a raw .bin file"; break;
    }
    auto* cmd = parent.add_subcommand(OpName(op), help);
    struct Args {
      std::string file;
      std::string start = kDefaultXeepromStart;
      std::string stop = kDefaultXeepromStop;
      int page = 0;
    };
    auto a = std::make_shared<Args>();
    cmd->add_option("file", a->file,
                    "Image file ({n}, {serial} and {model} are replaced in batches)")
        ->required();
    if (calibration) {
      cmd->add_option("--page", a->page, "Calibration page 0 or 1 (1024 bytes each)")
          ->check(CLI::Range(0, 1));
    } else {
      cmd->add_option("--start", a->start, "First address (hex 0x... or decimal; default 0x000)");
      cmd->add_option("--stop", a->stop, "Last address, included (default 0x2120)");
    }
    const std::string name = std::string(calibration ? "cal " : "eeprom ") + OpName(op);
    cmd->callback([&chosen, a, op, calibration, name] {
      chosen.name = name;
      if (calibration) {
        chosen.run = [a, op](Session& s) { return RunCal(s, op, a->file, a->page); };
      } else {
        chosen.run = [a, op](Session& s) { return RunEeprom(s, op, a->file, a->start, a->stop); };
      }
    });
  }
}

}  // namespace

void AddServiceCommands(CLI::App& app, ChosenCommand& chosen) {
  auto* eeprom = app.add_subcommand("eeprom", "External EEPROM (XEEPROM) images: dump, load, verify");
  eeprom->require_subcommand(1);
  AddTransfers(*eeprom, chosen, false);
  auto* cal = app.add_subcommand("cal", "Calibration EEPROM images: dump, load, verify");
  cal->require_subcommand(1);
  AddTransfers(*cal, chosen, true);

  auto* service = app.add_subcommand("service", "Factory operations of the service tools");
  service->require_subcommand(1);
  auto text = std::make_shared<std::string>();
  auto number = std::make_shared<long long>(0);

  service->add_subcommand("crc", "Run the firmware CRC check")->callback([&chosen] {
    chosen.name = "service crc";
    chosen.run = Crc;
  });
  auto* serial = service->add_subcommand("write-serial", "Write the serial number (10 characters, zero padded)");
  serial->add_option("text", *text, "Serial number")->required();
  serial->callback([&chosen, text] {
    chosen.name = "service write-serial";
    chosen.run = [text](Session& s) { return WriteSerial(s, ExpandFileName(*text, s)); };
  });
  auto* id = service->add_subcommand("write-id", "Write the first 10 characters of the identity (blank padded)");
  id->add_option("text", *text, "Identity text")->required();
  id->callback([&chosen, text] {
    chosen.name = "service write-id";
    chosen.run = [text](Session& s) { return WriteId(s, *text); };
  });
  service->add_subcommand("memory-fill", "Fill the transmitter's memory")->callback([&chosen] {
    chosen.name = "service memory-fill";
    chosen.run = [](Session& s) { return Simple(s.service().MemoryFill(), "Memory fill"); };
  });
  auto* battery = service->add_subcommand("battery-cal", "Calibrate the battery measurement (value sent as 16 bits)");
  battery->add_option("value", *number, "Calibration value (integer)")->required()
      ->check(CLI::Range(-2147483648LL, 2147483647LL));
  battery->callback([&chosen, number] {
    chosen.name = "service battery-cal";
    chosen.run = [number](Session& s) {
      return Simple(s.service().CalibrateBattery(static_cast<int>(*number)), "Battery calibration");
    };
  });
  auto* fast = service->add_subcommand("fast-freq", "Set a fast frequency (value sent as 32 bits)");
  fast->add_option("value", *number, "Value (integer)")->required()
      ->check(CLI::Range(-2147483648LL, 2147483647LL));
  fast->callback([&chosen, number] {
    chosen.name = "service fast-freq";
    chosen.run = [number](Session& s) {
      return Simple(s.service().SetFastFrequency(*number), "Fast frequency");
    };
  });
}

}  // namespace zentra::cli
