// Where written HTML goes: a page's text, and the TOC block within it.
#pragma once
#include <cstdint>
#include <string>

// A sink that fails keeps failing quietly; its owner asks afterwards, so one
// check covers every piece.
class html_sink {
public:
  virtual ~html_sink() = default;
  // Bytes that may change or go once the call returns.
  virtual void write(const char *bytes, int32_t count) = 0;
  // Bytes that stay unchanged where they are until the sink's owner is done
  // with it (a document's node texts while it is written): a sink may keep
  // where they are instead of copying them.
  virtual void write_lasting(const char *bytes, int32_t count) { write(bytes, count); }
};

// Gathers the text in a string of the caller's.
class string_sink : public html_sink {
public:
  explicit string_sink(std::string &text) : text_(text) {}
  void write(const char *bytes, int32_t count) override { text_.append(bytes, static_cast<size_t>(count)); }

private:
  std::string &text_;
};
