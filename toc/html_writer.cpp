#include "toc/html_writer.h"

namespace {

// Consecutive nodes of a parsed page usually see consecutive bytes of the
// same stored chunk, so their texts are handed to the sink as one run. Only
// bytes that stay in place until the document is written may join it: node
// texts do, and the sink is told so.
class run_writer {
public:
  explicit run_writer(html_sink &sink) : sink_(sink) {}
  ~run_writer() { hand_on(); }

  void add(const char *bytes, int32_t count) {
    if (count <= 0) return;
    if (run_ && bytes == run_ + run_length_ && run_length_ <= INT32_MAX - count) {
      run_length_ += count;
      return;
    }
    hand_on();
    run_ = bytes;
    run_length_ = count;
  }

  void hand_on() {
    if (run_length_ > 0) sink_.write_lasting(run_, run_length_);
    run_ = nullptr;
    run_length_ = 0;
  }

  html_sink &sink() { return sink_; }

private:
  html_sink &sink_;
  const char *run_ = nullptr;
  int32_t run_length_ = 0;
};

// Every node passes here: its bytes are taken as they stand, without
// terminating anything.
void write_node_text(run_writer &out, const node_bytes &text) {
  const node_bytes::seen bytes = text.view();
  out.add(bytes.bytes, bytes.length);
}

}  // namespace

void write_html_document(xml_tree &document, html_sink &sink, uint8_t insert_toc,
                         toc_tree &tree, toc_node *first_entry, xml_node *start_marker,
                         xml_node *end_marker, xml_node *insertion_node) {
  run_writer out(sink);
  if (!insert_toc) {
    for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n))
      write_node_text(out, n->raw_text);
    return;
  }

  bool writing = true;
  for (xml_node *n = document.first; n; n = xml_tree::next_in_order(n)) {
    if (n == start_marker && end_marker) {
      writing = false;
    } else if (n == end_marker) {
      writing = true;
    } else if (writing) {
      write_node_text(out, n->raw_text);
      if (n == insertion_node) {
        // Rendered as it is written: the block is never held whole.
        out.hand_on();
        tree.write_toc(out.sink(), first_entry);
      }
    }
  }
}
