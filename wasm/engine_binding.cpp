// The engine as the WebAssembly module's callers see it: one page's bytes in,
// the new bytes, the title and the TOC entries out. Every call into the
// engine from JavaScript passes through this file.
//
// Options come as the command line's own arguments ("--levels", "2-3", ...),
// read by the command line's own parser, so that a bad value gets the very
// message quenby-toc gives. A style is one of ours by name, or a style file's
// text: the engine reads that text through a style reader under the name
// "style", as a style file given on the command line; the module reads no
// file of any kind.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "cli/cli_options.h"
#include "page_files/toc_comment_matcher.h"
#include "regex/regex_binding.h"
#include "toc/make_toc.h"
#include "toc/toc_tree.h"
#include "wasm/entries_json.h"

namespace {

// Everything one call gives back; JavaScript reads it through the accessors
// below and then frees it.
struct page_result {
  int32_t status = 0;        // 0, or 2 with message (and line where a page's setting is wrong)
  bool changed = false;      // the output differs from the page
  int32_t line = 0;
  std::string message;
  std::string output;
  std::string title;
  std::string entries;       // a JSON array of { level, text, href, number }
};

// "\0"-separated arguments, ended by an empty one.
std::vector<std::string> split_arguments(const char *packed) {
  std::vector<std::string> args;
  for (const char *at = packed; *at; at += args.back().size() + 1) args.emplace_back(at);
  return args;
}

// The line a message "NAME:LINE: reason" names, or 0.
int32_t line_in(const std::string &message, const std::string &name) {
  if (message.compare(0, name.size() + 1, name + ":") != 0) return 0;
  int32_t line = 0;
  std::size_t at = name.size() + 1;
  for (; at < message.size() && message[at] >= '0' && message[at] <= '9'; ++at)
    line = line * 10 + (message[at] - '0');
  return at < message.size() && message[at] == ':' ? line : 0;
}

bool fail(page_result &result, const std::string &message, int32_t line = 0) {
  result.status = 2;
  result.message = message;
  result.line = line;
  return false;
}

// The style given as text, as the one style file there is; a page's own
// settings can name no other.
class style_text_reader : public style_file_reader {
public:
  style_text_reader(const std::string &name, const char *text) : name_(name), text_(text ? text : "") {}
  bool read(const std::string &path, std::string &text, std::string &error) const override {
    if (path != name_ || text_.empty()) {
      error = path + ": can't read the style file: no style files here";
      return false;
    }
    text = text_;
    return true;
  }
  bool lies_within(const std::string &, const std::string &style) const override { return style == name_; }

private:
  std::string name_;
  std::string text_;
};

void run_page(const char *bytes, size_t length, const char *packed_args, const char *style_text,
              const char *given_style_name, page_result &result) {
  std::vector<std::string> args = split_arguments(packed_args);
  // What the block records the style's text as, and a page may name it by.
  const std::string style_name = given_style_name && *given_style_name ? given_style_name : "style";
  if (style_text) {
    const bool named = is_predefined_style(style_text);
    if (!named && std::string(style_text).find('=') == std::string::npos) {
      fail(result, std::string("unknown style '") + style_text +
                       "' (classic, html5, ol, details, or a style file's text)");
      return;
    }
    args.push_back("--style");
    args.push_back(named ? style_text : style_name);
  }
  const style_text_reader style_files(style_name, style_text && !is_predefined_style(style_text) ? style_text : nullptr);
  args.push_back("-");
  cli_options options;
  std::string error;
  if (!parse_cli_options(args, options, error)) {
    fail(result, error);
    return;
  }
  toc_request request;
  if (options.has_stamp) request.options.stamp = options.stamp;
  // The run's options as the command line makes them: its choices over its
  // defaults (each page's own settings come on top in the engine).
  const toc_choices run_settings =
      merge_settings({{&options.choices, settings_origin::command_line}}, command_line_defaults()).choices;
  if (!resolve_toc_options(run_settings, std::string(), &style_files, request.options, error)) {
    fail(result, error, line_in(error, style_name));
    return;
  }
  if (!load_regex_library()) {
    fail(result, "can't load the regular-expression engine");
    return;
  }
  toc_tree tree;
  request.bytes = bytes;
  request.length = length;
  request.chosen = &options.choices;
  request.style_files = &style_files;
  request.comment_matcher = toc_comment_matches;   // the regex library is linked in
  request.page_name = "page";
  request.tree = &tree;
  request.remove = options.remove;
  request.size_limit = options.max_size + 1;
  request.wants_title = true;
  // A contents page made by --index lists other pages: remade from its own
  // headings it would lose that list, so it is given back as it is.
  request.leave_contents_pages = true;
  string_sink sink(result.output);
  toc_result made;
  if (make_toc(request, &sink, made) != 0) {
    result.output.clear();
    const std::string message = message_line(made.message);
    fail(result, message, made.line ? made.line : line_in(message, request.page_name));
    return;
  }
  result.title = made.title;
  if (made.left_contents_page) result.output.assign(bytes, length);
  result.changed = result.output.size() != length ||
                   !std::equal(result.output.begin(), result.output.end(), bytes);
  result.entries = entries_json(made.first_entry);
}

}  // namespace

extern "C" {

// bytes: the page; args: the options as "\0"-separated arguments ending in
// an empty one ("--remove" among them takes the TOC out); style_text: a
// style's name or a style file's text, or null; style_name: the name such a
// text goes by (the file it came from), or null for "style".
EMSCRIPTEN_KEEPALIVE page_result *quenby_make_toc(const char *bytes, size_t length, const char *args,
                                                  const char *style_text, const char *style_name) {
  auto result = std::make_unique<page_result>();
  try {
    run_page(bytes, length, args, style_text, style_name, *result);
  } catch (const std::bad_alloc &) {
    result->output.clear();
    fail(*result, "page: out of memory");
  }
  return result.release();
}

EMSCRIPTEN_KEEPALIVE int quenby_status(const page_result *r) { return r->status; }
EMSCRIPTEN_KEEPALIVE int quenby_changed(const page_result *r) { return r->changed; }
EMSCRIPTEN_KEEPALIVE int quenby_line(const page_result *r) { return r->line; }
EMSCRIPTEN_KEEPALIVE const char *quenby_message(const page_result *r) { return r->message.c_str(); }
EMSCRIPTEN_KEEPALIVE const char *quenby_output(const page_result *r) { return r->output.data(); }
EMSCRIPTEN_KEEPALIVE size_t quenby_output_length(const page_result *r) { return r->output.size(); }
EMSCRIPTEN_KEEPALIVE const char *quenby_title(const page_result *r) { return r->title.c_str(); }
EMSCRIPTEN_KEEPALIVE const char *quenby_entries(const page_result *r) { return r->entries.c_str(); }
EMSCRIPTEN_KEEPALIVE void quenby_free(page_result *r) { delete r; }

}  // extern "C"
