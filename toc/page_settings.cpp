#include "toc/page_settings.h"

#include <algorithm>

#include "toc/heading_scope.h"
#include "toc/toc_comment.h"
#include "toc/toc_style_file.h"

bool toc_choices::any() const { return style || levels || anchors || names || skip_classes || number || within; }

bool toc_choices::operator==(const toc_choices &other) const {
  return style == other.style && levels == other.levels && anchors == other.anchors &&
         names == other.names && skip_classes == other.skip_classes && number == other.number &&
         within == other.within;
}

merged_settings merge_settings(const std::vector<settings_layer> &layers, const toc_choices &defaults) {
  merged_settings merged;
  toc_choices &to = merged.choices;
  auto take = [](auto &field, const auto &from) {
    if (!field && from) field = from;
  };
  for (const settings_layer &layer : layers) {
    const toc_choices &from = *layer.choices;
    if (!to.style && from.style) merged.style_origin = layer.origin;
    take(to.style, from.style);
    take(to.levels, from.levels);
    take(to.anchors, from.anchors);
    take(to.names, from.names);
    take(to.skip_classes, from.skip_classes);
    take(to.number, from.number);
    take(to.within, from.within);
  }
  take(to.style, defaults.style);
  take(to.levels, defaults.levels);
  take(to.anchors, defaults.anchors);
  take(to.names, defaults.names);
  take(to.skip_classes, defaults.skip_classes);
  take(to.number, defaults.number);
  take(to.within, defaults.within);
  return merged;
}

const toc_choices &window_defaults() {
  static const toc_choices defaults = [] {
    toc_choices d;
    d.style = classic_style;
    return d;
  }();
  return defaults;
}

const toc_choices &command_line_defaults() {
  static const toc_choices defaults = [] {
    toc_choices d;
    d.style = "html5";
    return d;
  }();
  return defaults;
}

namespace {

// "2-3", or "2" for one level; levels 1 to 9, the lower first.
bool parse_levels(const std::string &text, int32_t &from, int32_t &to) {
  auto digit = [](char c) { return c >= '1' && c <= '9'; };
  if (text.size() == 1 && digit(text[0])) {
    from = to = text[0] - '0';
    return true;
  }
  if (text.size() != 3 || !digit(text[0]) || text[1] != '-' || !digit(text[2])) return false;
  from = text[0] - '0';
  to = text[2] - '0';
  return from <= to;
}

}  // namespace

bool set_toc_choice(toc_choices &choices, const std::string &key, const std::string &value,
                    std::string &error) {
  if (key == "levels") {
    toc_levels levels;
    if (!parse_levels(value, levels.from, levels.to)) {
      error = "levels must be FROM-TO or one level, from 1 to 9, the lower first: '" + value + "'";
      return false;
    }
    choices.levels = levels;
  } else if (key == "style") {
    if (value.empty()) {
      error = "style needs a name or a file";
      return false;
    }
    choices.style = value;
  } else if (key == "anchors") {
    if (value != "name" && value != "id") {
      error = "anchors must be name or id, not '" + value + "'";
      return false;
    }
    choices.anchors = value == "id" ? toc_anchor_mode::id : toc_anchor_mode::name;
  } else if (key == "names") {
    if (value != "stamp" && value != "slug") {
      error = "names must be stamp or slug, not '" + value + "'";
      return false;
    }
    choices.names = value == "slug" ? toc_naming::slug : toc_naming::stamp;
  } else if (key == "skip-class") {
    if (value.empty() || value.find_first_of(" \t\r\n\f") != std::string::npos) {
      error = "skip-class needs one class name, not '" + value + "'";
      return false;
    }
    if (!choices.skip_classes) choices.skip_classes.emplace();
    choices.skip_classes->push_back(value);
  } else if (key == "number") {
    if (value != "yes" && value != "no") {
      error = "number must be yes or no, not '" + value + "'";
      return false;
    }
    choices.number = value == "yes";
  } else if (key == "within") {
    element_selector selector;
    if (!parse_element_selector(value, selector)) {
      error = "within must be a tag name (main), #id or .class, not '" + value + "'";
      return false;
    }
    choices.within = value;
  } else {
    error = "unknown setting '" + key + "'";
    return false;
  }
  return true;
}

bool read_comment_settings(const char *comment, int32_t length, toc_choices &choices,
                           std::string &error, int32_t &line) {
  std::vector<toc_comment_setting> settings;
  if (!read_toc_comment_settings(comment, length, settings, error, line)) {
    error += " in the TOC comment";
    return false;
  }
  for (size_t i = 0; i < settings.size(); ++i) {
    const toc_comment_setting &s = settings[i];
    line = s.line;
    // Given twice, a setting would leave the page's author unsure which
    // counts; skip classes add up, as on the command line.
    for (size_t earlier = 0; earlier < i && s.key != "skip-class"; ++earlier)
      if (settings[earlier].key == s.key) {
        error = s.key + " is given twice in the TOC comment";
        return false;
      }
    if (!set_toc_choice(choices, s.key, s.value, error)) {
      error += " in the TOC comment";
      return false;
    }
  }
  return true;
}

namespace {

// Classic with nothing else: the page as the window makes it.
bool window_form(const toc_options &options) {
  return options.preferred.classic && options.anchors == toc_anchor_mode::name &&
         options.names == toc_naming::stamp && options.skip_classes.empty() && !options.number &&
         options.style.range_from.as_int() == 1 && options.style.range_to.as_int() == 6 &&
         options.within.empty();
}

const char record_start[] = "quenby-toc (";

// A value the record can be read back with, inside a comment.
bool recordable(const std::string &value) {
  return !value.empty() && value.find_first_of(" \t\r\n()>") == std::string::npos &&
         value.find("--") == std::string::npos;
}

}  // namespace

bool resolve_toc_options(const toc_choices &settings, const std::string &style_folder,
                         const style_file_reader *style_files, toc_options &options,
                         std::string &error) {
  const std::string style = settings.style.value_or(classic_style);
  if (!predefined_style(style, options.style, options.layout, options.preferred)) {
    std::string path = style;
    if (!style_folder.empty() && !path.empty() && path[0] != '/'
#ifdef _WIN32
        && path[0] != '\\' && !(path.size() > 1 && path[1] == ':')
#endif
    )
      path = style_folder + "/" + path;
    options.preferred = style_preferences();
    std::string text;
    if (!style_files) {
      error = path + ": can't read the style file: no style files here";
      return false;
    }
    if (!style_files->read(path, text, error) ||
        !read_style_text(text, path, options.style, options.layout, error))
      return false;
  }
  apply_settings(settings, options);
  options.reader_entries = style != classic_style;
  return true;
}

void apply_settings(const toc_choices &settings, toc_options &options) {
  if (settings.levels) {
    options.style.range_from = settings.levels->from;
    options.style.range_to = settings.levels->to;
  }
  options.anchors = settings.anchors.value_or(options.preferred.anchors);
  options.names = settings.names.value_or(options.preferred.names);
  options.skip_classes = settings.skip_classes.value_or(std::vector<std::string>());
  options.number = settings.number.value_or(false);
  options.numbers_known = true;
  options.within = settings.within.value_or(std::string());
  const bool as_window = window_form(options);
  options.heading_ids = !as_window;
  options.record = as_window ? std::string() : record_text(settings);
  options.line_end = options.preferred.line_end;
  options.line_end_of_page = true;
}

std::string record_text(const toc_choices &settings) {
  std::string words;
  auto add = [&words](const std::string &key, const std::string &value) {
    if (!words.empty()) words += ' ';
    words += key + "=" + value;
  };
  // A name the record could not be read back with is left out.
  if (settings.style && recordable(*settings.style)) add("style", *settings.style);
  if (settings.names) add("names", *settings.names == toc_naming::slug ? "slug" : "stamp");
  if (settings.levels) {
    const toc_levels &l = *settings.levels;
    add("levels", l.from == l.to ? std::to_string(l.from) : std::to_string(l.from) + "-" + std::to_string(l.to));
  }
  if (settings.anchors) add("anchors", *settings.anchors == toc_anchor_mode::id ? "id" : "name");
  if (settings.skip_classes)
    for (const std::string &name : *settings.skip_classes)
      if (recordable(name)) add("skip-class", name);
  if (settings.number && *settings.number) add("number", "yes");
  if (settings.within && recordable(*settings.within)) add("within", *settings.within);
  return record_start + words + ")";
}

bool read_record(const char *comment, int32_t length, toc_choices &settings) {
  const std::string text(comment, static_cast<size_t>(length > 0 ? length : 0));
  const size_t start = text.rfind(record_start);
  if (start == std::string::npos) return false;
  const size_t from = start + sizeof record_start - 1;
  const size_t end = text.find(')', from);
  if (end == std::string::npos) return false;
  toc_choices read;
  size_t at = from;
  while (at < end) {
    const size_t word_end = std::min(text.find(' ', at), end);
    const std::string word = text.substr(at, word_end - at);
    at = word_end + 1;
    if (word.empty()) continue;
    const size_t eq = word.find('=');
    std::string error;
    if (eq == std::string::npos || !set_toc_choice(read, word.substr(0, eq), word.substr(eq + 1), error))
      return false;
  }
  settings = read;
  return true;
}
