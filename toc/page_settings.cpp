#include "toc/page_settings.h"

#include "toc/toc_comment.h"
#include "toc/toc_style_file.h"

bool toc_choices::any() const {
  return has_levels || !style.empty() || has_anchors || has_names || has_skip_classes || has_number;
}

void toc_choices::fill_from(const toc_choices &under) {
  if (!has_levels && under.has_levels) {
    has_levels = true;
    levels_from = under.levels_from;
    levels_to = under.levels_to;
  }
  if (style.empty()) style = under.style;
  if (!has_anchors && under.has_anchors) {
    has_anchors = true;
    anchors = under.anchors;
  }
  if (!has_names && under.has_names) {
    has_names = true;
    names = under.names;
  }
  if (!has_skip_classes && under.has_skip_classes) {
    has_skip_classes = true;
    skip_classes = under.skip_classes;
  }
  if (!has_number && under.has_number) {
    has_number = true;
    number = under.number;
  }
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
    if (!parse_levels(value, choices.levels_from, choices.levels_to)) {
      error = "levels must be FROM-TO or one level, from 1 to 9, the lower first: '" + value + "'";
      return false;
    }
    choices.has_levels = true;
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
    choices.has_anchors = true;
    choices.anchors = value == "id" ? toc_anchor_mode::id : toc_anchor_mode::name;
  } else if (key == "names") {
    if (value != "stamp" && value != "slug") {
      error = "names must be stamp or slug, not '" + value + "'";
      return false;
    }
    choices.has_names = true;
    choices.names = value == "slug" ? toc_naming::slug : toc_naming::stamp;
  } else if (key == "skip-class") {
    if (value.empty() || value.find_first_of(" \t\r\n\f") != std::string::npos) {
      error = "skip-class needs one class name, not '" + value + "'";
      return false;
    }
    choices.has_skip_classes = true;
    choices.skip_classes.push_back(value);
  } else if (key == "number") {
    if (value != "yes" && value != "no") {
      error = "number must be yes or no, not '" + value + "'";
      return false;
    }
    choices.has_number = true;
    choices.number = value == "yes";
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

bool resolve_toc_options(const toc_choices &choices, const std::string &style_folder,
                         const style_file_reader *style_files, toc_options &options,
                         std::string &error) {
  bool prefers_ids = false;
  const std::string style = choices.style.empty() ? "classic" : choices.style;
  if (!predefined_style(style, options.style, options.layout, prefers_ids)) {
    std::string path = style;
    if (!style_folder.empty() && !path.empty() && path[0] != '/'
#ifdef _WIN32
        && path[0] != '\\' && !(path.size() > 1 && path[1] == ':')
#endif
    )
      path = style_folder + "/" + path;
    std::string text;
    if (!style_files) {
      error = path + ": can't read the style file: no style files here";
      return false;
    }
    if (!style_files->read(path, text, error) ||
        !read_style_text(text, path, options.style, options.layout, error))
      return false;
  }
  if (choices.has_levels) {
    options.style.range_from = choices.levels_from;
    options.style.range_to = choices.levels_to;
  }
  options.anchors = choices.has_anchors ? choices.anchors
                    : prefers_ids       ? toc_anchor_mode::id
                                        : toc_anchor_mode::name;
  options.names = choices.names;
  options.skip_classes = choices.skip_classes;
  options.heading_ids = choices.any();
  options.number = choices.number;
  options.numbers_known = true;
  return true;
}
