// The bash completion of zentra-cli against the program's own command table: at every
// command it offers exactly the sub-commands, every option of the command, and for
// `set` the setting names and the menu items of lock and hidden.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <QFileInfo>
#include <QProcess>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "cli/Items.h"

namespace zentra::cli {
namespace {

using Words = std::set<std::string>;

const QString kCompletion =
    QString(ZENTRA_TEST_DATA_DIR) + "/../../packaging/completion/zentra-cli";

// Runs the completion once per query (the words typed, the last one being completed)
// in one bash and returns what each query offered.
std::vector<Words> Complete(const std::vector<std::vector<std::string>>& queries) {
  std::string script = "source '" + kCompletion.toStdString() + "' || exit 9\n";
  for (const auto& words : queries) {
    script += "COMP_WORDS=(zentra-cli";
    for (const auto& w : words) script += " '" + w + "'";
    script += "); COMP_CWORD=" + std::to_string(words.size()) +
              "; _zentra_cli; echo \"= ${COMPREPLY[*]}\"\n";
  }
  QProcess bash;
  bash.start("bash", {"--norc", "--noprofile", "-c", QString::fromStdString(script)});
  EXPECT_TRUE(bash.waitForFinished(30000));
  EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
  std::vector<Words> answers;
  std::istringstream out(bash.readAllStandardOutput().toStdString());
  for (std::string line; std::getline(out, line);) {
    if (line.rfind("= ", 0) != 0 && line != "=") continue;
    std::istringstream words(line.size() > 2 ? line.substr(2) : "");
    Words offered;
    for (std::string w; words >> w;) offered.insert(w);
    answers.push_back(offered);
  }
  EXPECT_EQ(answers.size(), queries.size());
  answers.resize(queries.size());
  return answers;
}

struct Command {
  std::vector<std::string> path;
  Words subcommands;
  Words options;
};

void Collect(const CLI::App* app, std::vector<std::string> path, std::vector<Command>& out) {
  Command c{path, {}, {}};
  for (const CLI::Option* o : app->get_options()) {
    for (const auto& n : o->get_lnames()) c.options.insert("--" + n);
    for (const auto& n : o->get_snames()) c.options.insert("-" + n);
  }
  std::vector<const CLI::App*> subs = app->get_subcommands([](const CLI::App*) { return true; });
  for (const CLI::App* sub : subs) c.subcommands.insert(sub->get_name());
  out.push_back(c);
  for (const CLI::App* sub : subs) {
    std::vector<std::string> subPath = path;
    subPath.push_back(sub->get_name());
    Collect(sub, subPath, out);
  }
}

TEST(CompletionTest, OffersEveryCommandAndOptionOfTheProgram) {
  ASSERT_TRUE(QFileInfo::exists(kCompletion));
  CLI::App app;
  app.set_version_flag("--version", "");
  app.set_help_all_flag("--help-all");
  ChosenCommand chosen;
  AddAllCommands(app, chosen);
  // The program's global options, as RunCli declares them.
  for (const char* o : {"--interface", "--port", "--simulate", "--access-codes", "--wait",
                        "--batch-count"})
    app.add_option(o);
  for (const char* f : {"--json", "--verbose,-v", "--batch"}) app.add_flag(f);

  std::vector<Command> commands;
  Collect(&app, {}, commands);
  std::vector<std::vector<std::string>> queries;
  for (const Command& c : commands) {
    auto words = c.path;
    words.push_back("");  // what comes next
    queries.push_back(words);
    words.back() = "-";  // an option
    queries.push_back(words);
  }
  const std::vector<Words> offered = Complete(queries);
  for (size_t i = 0; i < commands.size(); ++i) {
    const Command& c = commands[i];
    std::string where = "zentra-cli";
    for (const auto& w : c.path) where += " " + w;
    if (!c.subcommands.empty()) {
      EXPECT_EQ(offered[2 * i], c.subcommands) << where;
    }
    for (const auto& o : c.options) {
      EXPECT_TRUE(offered[2 * i + 1].count(o)) << where << " " << o;
    }
  }
}

TEST(CompletionTest, SetOffersSettingsAndMenuItems) {
  CLI::App app;
  ChosenCommand chosen;
  AddSetCommands(app, chosen);
  // The settings as `set --help` lists them: one per line, indented by two blanks.
  Words settings;
  std::istringstream help(app.get_subcommand("set")->get_description());
  for (std::string line; std::getline(help, line);) {
    if (line.rfind("  ", 0) == 0) settings.insert(line.substr(2, line.find(' ', 2) - 2));
  }
  ASSERT_GT(settings.size(), 10u);
  Words lock, hidden;
  for (const auto& n : LockItemNames()) lock.insert(n.name);
  for (const auto& n : HiddenItemNames()) hidden.insert(n.name);

  const auto offered = Complete({{"set", ""},
                                 {"set", "lock", ""},
                                 {"--json", "set", "hidden", ""},
                                 {"set", "hidden", "presets", ""},
                                 {"set", "limiter", ""},
                                 {"set", "gain", ""}});
  EXPECT_EQ(offered[0], settings);
  EXPECT_EQ(offered[1], lock);
  EXPECT_EQ(offered[2], hidden);
  EXPECT_EQ(offered[3], (Words{"on", "off"}));
  EXPECT_EQ(offered[4], (Words{"on", "off"}));
  EXPECT_TRUE(offered[5].empty());  // gains differ by model
}

}  // namespace
}  // namespace zentra::cli
