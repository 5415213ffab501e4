// table save|load, config save|load: the frequency-table files and configuration files,
// through the files layer.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <sstream>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "cli/Items.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "files/ConfigFile.h"
#include "files/IniFile.h"
#include "files/TableFile.h"

namespace zentra::cli {

namespace {

// The progress of a file operation on the terminal: a bar on stderr, memo lines on
// stdout as they come, Ctrl-C as the abort.
class TerminalProgress : public FileProgress {
 public:
  void Begin(const std::string& caption, int maximum) override {
    bar_ = std::make_unique<ProgressBar>(caption);
    bar_->SetMaximum(maximum);
  }
  void SetPosition(int position) override {
    if (bar_) bar_->SetPosition(position);
  }
  void AddLine(const std::string& line) override {
    if (bar_) bar_->Finish();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  bool AbortRequested() override { return Interrupted(); }
  void Pump() override {}
  ~TerminalProgress() override {
    if (bar_) bar_->Finish();
  }

 private:
  std::unique_ptr<ProgressBar> bar_;
};

int Finish(const FileOpResult& r) {
  for (const auto& m : r.earlierMessages) std::printf("%s\n", m.c_str());
  if (!r.message.empty()) {
    if (r.title == kTitleCompleted) {
      std::printf("%s\n", r.message.c_str());
    } else {
      PrintError((r.title.empty() ? std::string() : r.title + ": ") + r.message);
    }
  }
  if (r.failedCommands > 0 && !r.completedWithGaps()) {
    PrintError(std::to_string(r.failedCommands) + " command(s) failed and were passed over");
  }
  switch (r.status) {
    case FileOpStatus::Done:
      if (r.completedWithGaps()) return kExitGaps;
      return r.failedCommands > 0 ? kExitFailed : kExitOk;
    case FileOpStatus::Interrupted: return kExitInterrupted;
    case FileOpStatus::NoDevice: return kExitNoTransmitter;
    default: return kExitFailed;
  }
}

struct ScopeArgs {
  std::string group;
  bool sync = false;
  bool all = false;
};

std::optional<TableScope> Scope(const TDeviceData& d, const ScopeArgs& a) {
  if ((a.sync ? 1 : 0) + (a.all ? 1 : 0) + (a.group.empty() ? 0 : 1) > 1) {
    PrintError("Choose one of --group, --sync and --all");
    return std::nullopt;
  }
  if (a.sync) {
    if (!d.syncSupported) {
      PrintError("This transmitter has no SYNC channel");
      return std::nullopt;
    }
    return TableScope::SyncOnly();
  }
  if (!a.group.empty()) {
    const auto g = MatchItem(GroupListItems(d), a.group);
    if (!g || (d.syncSupported && *g == d.syncGroup)) {
      PrintError("No group '" + a.group + "' on this transmitter");
      return std::nullopt;
    }
    return TableScope::OneGroup(*g);
  }
  return TableScope::All();
}

int TableSave(Session& s, const std::string& pattern, const ScopeArgs& a, bool legacy) {
  const auto scope = Scope(s.data(), a);
  if (!scope) return kExitUsage;
  TableSaveOptions options;
  options.scope = *scope;
  options.legacy = legacy;
  TerminalProgress progress;
  return Finish(SaveFrequencyTable(s.link(), s.data(), ExpandFileName(pattern, s), options,
                                   progress));
}

int TableLoad(Session& s, const std::string& pattern, const ScopeArgs& a, bool outLock) {
  const auto scope = Scope(s.data(), a);
  if (!scope) return kExitUsage;
  TableLoadOptions options;
  options.scope = *scope;
  options.outLockToHidden = outLock;
  TerminalProgress progress;
  return Finish(LoadFrequencyTable(s.link(), s.data(), ExpandFileName(pattern, s), options,
                                   progress));
}

int ConfigSave(Session& s, const std::string& pattern) {
  return Finish(SaveConfiguration(s.link(), s.data(), s.presets(), ExpandFileName(pattern, s)));
}

int ConfigLoad(Session& s, const std::string& pattern, const std::string& only) {
  IniFile ini;
  const FileOpResult opened = OpenConfiguration(s.data(), ExpandFileName(pattern, s), ini);
  if (!opened.ok()) return Finish(opened);
  const ConfigChoices choices = DecideConfigChoices(ini, s.data());
  ConfigSelection selection = DefaultSelection(choices);
  if (!only.empty()) {
    selection.fill(false);
    std::stringstream list(only);
    std::string key;
    while (std::getline(list, key, ',')) {
      bool found = false;
      for (int i = 0; i < kConfigItemCount; ++i) {
        if (key == ConfigItemKey(static_cast<ConfigItem>(i))) {
          found = true;
          if (!choices[static_cast<size_t>(i)].enabled) {
            PrintError("'" + key + "' is not offered by this file for this transmitter");
            return kExitUsage;
          }
          selection[static_cast<size_t>(i)] = true;
        }
      }
      if (!found) {
        PrintError("Unknown choice '" + key + "'");
        return kExitUsage;
      }
    }
  }
  for (int i = 0; i < kConfigItemCount; ++i) {
    const auto& c = choices[static_cast<size_t>(i)];
    std::printf("[%c] %-9s %s%s\n", selection[static_cast<size_t>(i)] && c.enabled ? 'x' : ' ',
                ConfigItemKey(static_cast<ConfigItem>(i)), c.caption.c_str(),
                c.enabled ? "" : " (not offered)");
  }
  bool editLocked = true;
  return Finish(ApplyConfiguration(s.link(), s.data(), s.presets(), ini, choices, selection,
                                   editLocked));
}

void AddScope(CLI::App* cmd, ScopeArgs& a) {
  cmd->add_option("--group", a.group, "Only this group (as listed: 00.., 01..)");
  cmd->add_flag("--sync", a.sync, "Only the SYNC channel");
  cmd->add_flag("--all", a.all, "All groups and the SYNC channel (default)");
}

}  // namespace

void AddFileCommands(CLI::App& app, ChosenCommand& chosen) {
  CLI::App* table = app.get_subcommand("table");
  struct Args {
    std::string file, only;
    ScopeArgs scope;
    bool legacy = false, outLock = false;
  };
  auto a = std::make_shared<Args>();

  auto* save = table->add_subcommand("save", "Save the frequency table into a .qdf file");
  save->add_option("file", a->file, "File ({n}, {serial}, {model} replaced in batches)")->required();
  AddScope(save, a->scope);
  save->add_flag("--legacy", a->legacy, "Legacy format: frequencies only, no lock/hidden");
  save->callback([&chosen, a] {
    chosen.name = "table save";
    chosen.run = [a](Session& s) { return TableSave(s, a->file, a->scope, a->legacy); };
  });
  auto* load = table->add_subcommand("load", "Load a .qdf file into the frequency table");
  load->add_option("file", a->file, "File")->required();
  AddScope(load, a->scope);
  load->add_flag("--out-lock-to-hidden", a->outLock,
                 "Load Out Freq. (lock->Hidden): a locked channel with a refused frequency is loaded hidden");
  load->callback([&chosen, a] {
    chosen.name = "table load";
    chosen.run = [a](Session& s) { return TableLoad(s, a->file, a->scope, a->outLock); };
  });

  auto* config = app.add_subcommand("config", "User configuration files (.qcf)");
  config->require_subcommand(1);
  auto* csave = config->add_subcommand("save", "Save the transmitter's configuration");
  csave->add_option("file", a->file, "File")->required();
  csave->callback([&chosen, a] {
    chosen.name = "config save";
    chosen.run = [a](Session& s) { return ConfigSave(s, a->file); };
  });
  auto* cload = config->add_subcommand("load", "Load a configuration into the transmitter");
  cload->add_option("file", a->file, "File")->required();
  cload->add_option("--only", a->only,
                    "Comma-separated choices: tuning,audio,mic,ptt,battery,rfpower,led,lock,"
                    "hidden,name,presets,activate (default: those the file offers)");
  cload->callback([&chosen, a] {
    chosen.name = "config load";
    chosen.run = [a](Session& s) { return ConfigLoad(s, a->file, a->only); };
  });
}

}  // namespace zentra::cli
