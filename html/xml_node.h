// xml_node: one node of a document tree: a tag, a comment or a run of text,
// holding the exact source bytes of its token so the document can be written
// back byte for byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include "html/node_bytes.h"
#include "html/node_link.h"
#include "html/node_name.h"
#include "value/kre_tree.h"
#include "value/krhash.h"
#include "value/krval.h"

// The attribute map of a node, with the interface of krhash, seen through
// the node's bytes, whose record holds it. A parsed tag keeps only how many
// of its first bytes are the tag: the map is read from them on first use,
// since few attributes of a document are ever looked at and a map per tag
// weighs more than the tag itself. Otherwise the map is created on the
// first write: texts, comments and end tags never have attributes.
class xml_attributes {
public:
  explicit xml_attributes(node_bytes &bytes) : bytes_(bytes) {}

  void set(const krval &key, const krval &value) { map().set(key, value); }
  bool get(const krval &key, krval &value) const;   // absent: value is the integer 0
  bool has(const krval &key) const;
  void begin_iteration() {
    if (krhash *m = existing_map()) m->begin_iteration();
  }
  bool next(krval &key, krval &value);
  int32_t count() const;
  void clear() {
    if (krhash *m = existing_map()) m->clear();
  }
  // Moves all entries of other in (this map must be empty); other is left empty.
  void take_entries(krhash &other);
  // The start tag without its final ">": where those are the node's own
  // first bytes (a parsed tag), its attributes are read from them, in their
  // order, when the map is first used; other bytes are read at once. False
  // when out of memory.
  bool keep_tag(const char *bytes, int32_t length);

  krhash &map();                                     // the map, created when absent
  // None when the node has no map yet and no tag to read one from.
  const krhash *find_map() const { return existing_map(); }

private:
  krhash *existing_map() const;   // reads a kept tag first
  node_bytes &bytes_;
};

// Token kinds, as the parser gives them.
enum xml_kind : int32_t {
  XML_ROOT = -1,           // the node a file job puts first
  XML_START_TAG = 1,       // may have children
  XML_END_TAG = 2,
  XML_ELEMENT = 3,         // empty element, "/>" tag, or start tag closed at once
  XML_DECLARATION = 4,     // "<!>" ended before it was classified
  XML_COMMENT = 5,
  XML_SSI = 14,            // "<!--#...-->"
  XML_UNCLASSIFIED = 15,   // "<>"
  XML_TEXT = 18,
};

// Nodes live in xml_node_pool's regions: a document has hundreds of thousands.
// Only nodes from there may be linked into a tree: where links are addresses
// in the arena (node_link), a node elsewhere (on the stack, or a larger
// record from the general allocator) cannot be reached by one.
struct xml_node : node_links<xml_node> {
  xml_node() : kind(XML_ROOT), closed(0) {}   // empty texts without storage
  xml_node(const xml_node &) = delete;
  xml_node &operator=(const xml_node &) = delete;

  static void *operator new(std::size_t size);   // throws std::bad_alloc
  static void *operator new(std::size_t size, const std::nothrow_t &) noexcept;
  static void operator delete(void *p, std::size_t size) noexcept;
  static void operator delete(void *p, const std::nothrow_t &) noexcept;

  // One byte for both: a parsed document has millions of nodes.
  int8_t kind : 6;     // an xml_kind
  int8_t closed : 2;   // 0 or 1; for end tags: it found its element
  node_bytes raw_text;   // the token's exact source bytes (a parsed node's: a view)
  node_name name;        // lower-cased element name (kinds 1, 2, 3), else empty

  // Lower-cased name -> value as written; kept with the node's bytes.
  xml_attributes attributes() const { return xml_attributes(const_cast<node_bytes &>(raw_text)); }

  // The record's spare text Value, always empty: one shared constant rather
  // than 32 bytes in every node.
  static const krval &spare();
};

using xml_tree = kre_tree<xml_node>;
