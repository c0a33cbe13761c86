#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace {

bool parse(std::vector<std::string> args, cli_options &o, std::string &error) {
  return parse_cli_options(args, o, error);
}

TEST(cli_options, long_short_and_clustered_forms) {
  cli_options o;
  std::string error;
  ASSERT_TRUE(parse({"-cq", "--stamp", "12", "a.html"}, o, error)) << error;
  EXPECT_TRUE(o.check);
  EXPECT_TRUE(o.quiet);
  EXPECT_TRUE(o.has_stamp);
  EXPECT_EQ(o.stamp, 12);
  EXPECT_EQ(o.files, std::vector<std::string>{"a.html"});

  ASSERT_TRUE(parse({"--output=out.html", "in.html"}, o, error));
  EXPECT_EQ(o.output, "out.html");
  ASSERT_TRUE(parse({"-oout.html", "in.html"}, o, error));
  EXPECT_EQ(o.output, "out.html");
  ASSERT_TRUE(parse({"-o", "out.html", "--stamp=0", "-"}, o, error));
  EXPECT_EQ(o.files, std::vector<std::string>{"-"});
  EXPECT_EQ(o.stamp, 0);
  ASSERT_TRUE(parse({"--", "-o", "--help"}, o, error));
  EXPECT_EQ(o.files, (std::vector<std::string>{"-o", "--help"}));
  EXPECT_FALSE(o.help);
  ASSERT_TRUE(parse({"-h"}, o, error));
  EXPECT_TRUE(o.help);
  ASSERT_TRUE(parse({"--version"}, o, error));
  EXPECT_TRUE(o.version);
}

TEST(cli_options, bad_usage_is_refused_with_a_reason) {
  cli_options o;
  std::string error;
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"-q"},
      {"-x", "a"},
      {"--frobnicate", "a"},
      {"-o"},
      {"-o", "out", "a", "b"},
      {"--stamp", "abc", "a"},
      {"--stamp", "-1", "a"},
      {"--stamp", "2147483648", "a"},
      {"--stamp", "", "a"},
      {"--quiet=yes", "a"},
      {"--check", "-o", "x", "a"},
      {"--output=", "a"},
  };
  for (const auto &args : bad) {
    error.clear();
    EXPECT_FALSE(parse(args, o, error)) << (args.empty() ? "(none)" : args[0]);
    EXPECT_FALSE(error.empty());
  }
  int32_t stamp = 0;
  EXPECT_TRUE(parse_stamp("2147483647", stamp));
  EXPECT_EQ(stamp, 2147483647);
  EXPECT_FALSE(parse_stamp("99999999999", stamp));
}

}  // namespace
