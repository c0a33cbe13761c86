#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace {

bool parse(std::vector<std::string> args, cli_options &o, std::string &error) {
  return parse_cli_options(args, o, error);
}

using strings = std::vector<std::string>;

// The conventions of getopt_long: long names, unique prefixes of them,
// --name=value, bundled letters with a value at the end, "--" ending the
// options, and options among the files.
TEST(cli_options, long_short_abbreviated_and_bundled_forms) {
  struct form {
    strings args;
    bool (*holds)(const cli_options &);
  };
  const std::vector<form> forms = {
      {{"-cq", "--stamp", "12", "a"}, [](const cli_options &o) { return o.check && o.quiet && o.stamp == 12; }},
      {{"-qN", "a"}, [](const cli_options &o) { return o.quiet && o.choices.number; }},
      {{"-qNshtml5", "a"}, [](const cli_options &o) { return o.choices.number && o.choices.style == "html5"; }},
      {{"-qs", "ol", "a"}, [](const cli_options &o) { return o.quiet && o.choices.style == "ol"; }},
      {{"--no-n", "a"}, [](const cli_options &o) { return o.choices.number == false && !o.choices.style; }},
      {{"--output=out", "a"}, [](const cli_options &o) { return o.output == "out" && o.has_output; }},
      {{"-oout", "a"}, [](const cli_options &o) { return o.output == "out"; }},
      {{"-o", "-", "a"}, [](const cli_options &o) { return o.writes_standard_output(); }},
      {{"--output=-", "-"}, [](const cli_options &o) { return o.writes_standard_output(); }},
      {{"--vers"}, [](const cli_options &o) { return o.version; }},
      {{"--check-l", "a"}, [](const cli_options &o) { return o.check_links && !o.check; }},
      {{"--check", "a"}, [](const cli_options &o) { return o.check && !o.check_links; }},
      {{"--sta=0", "a"}, [](const cli_options &o) { return o.has_stamp && o.stamp == 0; }},
      {{"--max", "100", "a"}, [](const cli_options &o) { return o.max_size == 100; }},
      {{"--skip=x", "--skip-class", "y", "a"},
       [](const cli_options &o) { return o.choices.skip_classes == strings{"x", "y"}; }},
      {{"a", "-j3", "b", "--qu"}, [](const cli_options &o) { return o.jobs == 3 && o.quiet && o.files == strings{"a", "b"}; }},
      {{"--", "-o", "--help"}, [](const cli_options &o) { return !o.help && o.files == strings{"-o", "--help"}; }},
      {{"-h"}, [](const cli_options &o) { return o.help; }},
      {{"--wi=#main", "a"}, [](const cli_options &o) { return o.choices.within == "#main"; }},
  };
  for (const form &f : forms) {
    cli_options o;
    std::string error;
    ASSERT_TRUE(parse(f.args, o, error)) << f.args[0] << ": " << error;
    EXPECT_TRUE(f.holds(o)) << f.args[0];
  }
}

TEST(cli_options, bad_usage_is_refused_with_one_reason) {
  const std::vector<std::pair<strings, std::string>> bad = {
      {{}, "no FILE given"},
      {{"-q"}, "no FILE given"},
      {{"-qx", "a"}, "unknown option '-x'"},
      {{"--bogus=1", "a"}, "unknown option '--bogus=1'"},
      {{"--che", "a"}, "option '--che' is ambiguous: --check, --check-links"},
      {{"--n=1", "a"}, "option '--n' is ambiguous: --number, --no-number, --names"},
      {{"--quiet=yes", "a"}, "option '--quiet' takes no value"},
      {{"--ver=2"}, "option '--version' takes no value"},
      {{"a", "--out"}, "option '--output' needs a value"},
      {{"a", "-o"}, "option '-o' needs a value"},
      {{"-o", "out", "a", "b"}, "--output takes exactly one FILE"},
      {{"--output=", "a"}, "--output needs a file name (\"-\" for standard output)"},
      {{"--check", "-o", "x", "a"}, "--check writes nothing, so it takes no --output"},
      {{"--include", "*.html", "a"}, "--include and --exclude choose files below a folder: they need --recursive"},
      {{"--stamp", "-1", "a"}, "--stamp needs whole seconds from 0 to 2147483647, not '-1'"},
      {{"--stamp", "2147483648", "a"}, "--stamp needs whole seconds from 0 to 2147483647, not '2147483648'"},
      {{"-j", "0", "a"}, "--jobs needs a number of files from 1 to 1024, not '0'"},
      {{"--max-size=1073741825", "a"}, "--max-size needs a number of bytes from 1 to 1073741824, not '1073741825'"},
      {{"--anchors=names", "a"}, "--anchors: anchors must be name or id, not 'names'"},
      {{"--within", "div.x", "a"}, "--within: within must be a tag name (main), #id or .class, not 'div.x'"},
  };
  for (const auto &c : bad) {
    cli_options o;
    std::string error;
    EXPECT_FALSE(parse(c.first, o, error)) << c.second;
    EXPECT_EQ(error, c.second);
  }
  int32_t stamp = 0;
  EXPECT_TRUE(parse_stamp("2147483647", stamp));
  EXPECT_EQ(stamp, 2147483647);
  EXPECT_FALSE(parse_stamp("99999999999", stamp));
}

}  // namespace
