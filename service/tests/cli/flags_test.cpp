#include "cli/flags.h"

#include <gtest/gtest.h>

namespace orvane::service::cli {
namespace {

const std::vector<Flag> kFlags{
    {"port", "ORVANE_PORT", "N", "8080", "port to listen on"},
    {"database", "ORVANE_DATABASE", "URL", "sqlite:orvane-content.sqlite", "where everything is kept"},
    {"admin-token", "ORVANE_ADMIN_TOKEN", "TOKEN", "", "admin API token"},
    {"max-body", "", "BYTES", "1MiB", "largest body"},
    {"quiet", "ORVANE_QUIET", "", "", "no access log"},
};

Environment fakeEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

TEST(Flags, AFlagBeatsItsVariableWhichBeatsTheDefault) {
  const Environment environment = fakeEnvironment(
      {{"ORVANE_PORT", "9000"}, {"ORVANE_DATABASE", "sqlite:env.db"}, {"ORVANE_QUIET", "true"}});
  const ParsedFlags fromEnvironment = parseFlags(kFlags, {}, environment);
  EXPECT_EQ(fromEnvironment.integer("port", 0, 65535), 9000);
  EXPECT_EQ(fromEnvironment.text("database"), "sqlite:env.db");
  EXPECT_TRUE(fromEnvironment.enabled("quiet"));
  EXPECT_FALSE(fromEnvironment.value("admin-token"));
  EXPECT_EQ(fromEnvironment.bytes("max-body"), 1024u * 1024u);

  const ParsedFlags fromFlags = parseFlags(
      kFlags, {"--port", "0", "--database=postgresql://x/y", "--max-body", "20KiB", "dir"}, environment);
  EXPECT_EQ(fromFlags.integer("port", 0, 65535), 0);
  EXPECT_EQ(fromFlags.text("database"), "postgresql://x/y");
  EXPECT_EQ(fromFlags.bytes("max-body"), 20u * 1024u);
  EXPECT_EQ(fromFlags.positional(), std::vector<std::string>{"dir"});

  const ParsedFlags defaults = parseFlags(kFlags, {"--help"}, fakeEnvironment({}));
  EXPECT_TRUE(defaults.helpAsked());
  EXPECT_EQ(defaults.integer("port", 0, 65535), 8080);
  EXPECT_FALSE(defaults.enabled("quiet"));
}

TEST(Flags, MisusedFlagsAreUsageErrorsNamingTheFlag) {
  const Environment none = fakeEnvironment({});
  const auto messageOf = [](const std::function<void()>& run) {
    try {
      run();
    } catch (const UsageError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf([&] { parseFlags(kFlags, {"--colour", "red"}, none); }), "unknown option --colour");
  EXPECT_EQ(messageOf([&] { parseFlags(kFlags, {"-x"}, none); }), "unknown option -x");
  EXPECT_EQ(messageOf([&] { parseFlags(kFlags, {"--port"}, none); }), "missing N after --port");
  EXPECT_EQ(messageOf([&] { parseFlags(kFlags, {"--quiet=1"}, none); }), "--quiet takes no value");
  EXPECT_EQ(messageOf([&] {
              parseFlags(kFlags, {}, fakeEnvironment({{"ORVANE_QUIET", "perhaps"}}));
            }),
            "ORVANE_QUIET must be 1 or 0, not \"perhaps\"");
  for (const char* port : {"65536", "-1", "80x", ""}) {
    const ParsedFlags parsed = parseFlags(kFlags, {"--port", port}, none);
    EXPECT_NE(messageOf([&] { parsed.integer("port", 0, 65535); }).find("--port must be a whole number"),
              std::string::npos)
        << port;
  }
  const ParsedFlags fromVariable = parseFlags(kFlags, {}, fakeEnvironment({{"ORVANE_PORT", "http"}}));
  EXPECT_NE(messageOf([&] { fromVariable.integer("port", 0, 65535); }).find("ORVANE_PORT must be"),
            std::string::npos);
  for (const char* size : {"0", "12MB", "MiB", "99999999999GiB"}) {
    const ParsedFlags parsed = parseFlags(kFlags, {"--max-body", size}, none);
    EXPECT_NE(messageOf([&] { parsed.bytes("max-body"); }).find("byte count"), std::string::npos) << size;
  }
}

TEST(Flags, UsageNamesEveryFlagWithItsVariableAndDefault) {
  const std::string text = usage("tool serve [options]", "Serves.", kFlags);
  EXPECT_NE(text.find("--port N"), std::string::npos);
  EXPECT_NE(text.find("(env ORVANE_PORT, default 8080)"), std::string::npos);
  EXPECT_NE(text.find("(default 1MiB)"), std::string::npos);
  EXPECT_NE(text.find("--help"), std::string::npos);
}

}  // namespace
}  // namespace orvane::service::cli
