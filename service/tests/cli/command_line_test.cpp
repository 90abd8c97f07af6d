// The executable's command line, run as an operator would.
#include <gtest/gtest.h>

#include "child_process.h"

namespace orvane::service::cli {
namespace {

const std::string kProgram = ORVANE_CONTENT_SERVICE_EXECUTABLE;

TEST(CommandLine, EveryCommandExplainsItselfWithHelp) {
  const Finished overview = runToEnd({kProgram, "--help"});
  EXPECT_EQ(overview.status, 0);
  for (const char* command : {"serve", "import", "export", "report", "backup"}) {
    EXPECT_NE(overview.out.find(std::string("\n  ") + command), std::string::npos) << command;
    const Finished help = runToEnd({kProgram, command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find("usage: orvane-content-service " + std::string(command)), std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("--database URL"), std::string::npos) << command;
    EXPECT_NE(help.out.find("env ORVANE_DATABASE"), std::string::npos) << command;
  }
  const Finished serve = runToEnd({kProgram, "serve", "--help"});
  for (const char* flag :
       {"--host", "--port", "--content", "--app", "--sdk-key", "--media", "--admin-token", "--cert", "--key",
        "--rate-limit", "--trusted-proxies", "--max-vote-body", "--max-event-body", "--max-image", "--max-video"}) {
    EXPECT_NE(serve.out.find(flag), std::string::npos) << flag;
  }
}

TEST(CommandLine, AMisusedCommandLineSaysWhatIsWrongAndExitsWithTwo) {
  struct Case {
    std::vector<std::string> arguments;
    std::map<std::string, std::string> environment;
    std::string says;
  };
  const Case cases[] = {
      {{"--colour", "red"}, {}, "unknown option --colour"},
      {{"serve", "--port", "http"}, {}, "--port must be a whole number from 0 to 65535"},
      {{"serve", "--port", "70000"}, {}, "--port must be a whole number"},
      {{"serve"}, {{"ORVANE_PORT", "eighty"}}, "ORVANE_PORT must be a whole number"},
      {{"serve", "--database"}, {}, "missing URL after --database"},
      {{"serve", "stray"}, {}, "unexpected argument stray"},
      {{"serve", "--cert", "chain.pem"}, {}, "--cert and --key go together"},
      {{"serve"}, {{"ORVANE_QUIET", "maybe"}}, "ORVANE_QUIET must be 1 or 0"},
      {{"serve", "--max-video", "1TB"}, {}, "--max-video must be a byte count"},
      {{"serve", "--trusted-proxies", "10.0.0.1,lb.local"}, {}, "--trusted-proxies: \"lb.local\" is neither"},
      {{"launch"}, {}, "unknown command launch"},
      {{"import"}, {}, "expected 1 argument"},
      {{"report", "--format", "xml"}, {}, "--format must be csv or json"},
      {{"report", "--from", "yesterday"}, {}, "--from must be a date"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{kProgram};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Finished finished = runToEnd(arguments, c.environment);
    EXPECT_EQ(finished.status, 2) << c.says;
    EXPECT_NE(finished.err.find(c.says), std::string::npos) << finished.err;
  }
}

}  // namespace
}  // namespace orvane::service::cli
