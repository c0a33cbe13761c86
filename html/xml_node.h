// xml_node: one node of a document tree: a tag, a comment or a run of text,
// holding the exact source bytes of its token so the document can be written
// back byte for byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include "html/node_link.h"
#include "html/node_name.h"
#include "value/kre_tree.h"
#include "value/krhash.h"
#include "value/krtext.h"
#include "value/krval.h"

// The attribute map of a node, with the interface of krhash. A parsed tag
// keeps only where its bytes stand; the tag reader reads the map from them
// on first use, since few attributes of a document are ever looked at and a
// map per tag weighs more than the tag itself. Otherwise the map is created
// on the first write: texts, comments and end tags never have attributes.
class xml_attributes {
public:
  xml_attributes() = default;
  xml_attributes(const xml_attributes &) = delete;
  xml_attributes &operator=(const xml_attributes &) = delete;
  ~xml_attributes() {
    if (slot()) release();
  }
  // For xml_node_pool::borrowed_storage: the attribute table this thread
  // uses, and using another thread's (null: its own again).
  static void *slots_in_use_by_thread() noexcept;
  static void *lend_slots(void *table_of_owner) noexcept;

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
  // Takes the bytes of a start tag without its final ">", which must stay
  // unchanged while the node lives (a parsed tag's bytes in the node text
  // store): its attributes are read from them, in their order, when the map
  // is first used. False when out of memory.
  bool keep_tag(const char *bytes, int32_t length);

  krhash &map();                                     // the map, created when absent
  // None when the node has no map yet and no tag to read one from.
  const krhash *find_map() const { return existing_map(); }

private:
  krhash *existing_map() const;   // reads a kept tag first
  void release();                 // gives the slot back, with its map
  // Every node of a document has attributes, few have any: a node holds the
  // number of a slot (0: none) in a table of maps and kept tags, in three
  // bytes: 16,777,215 at once, more than a page of the default size limit
  // can use (a tag with attributes takes five bytes at least); a page that
  // needs more fails as out of memory.
  uint32_t slot() const { return slot_[0] | uint32_t(slot_[1]) << 8 | uint32_t(slot_[2]) << 16; }
  void set_slot(uint32_t slot) {
    slot_[0] = static_cast<uint8_t>(slot);
    slot_[1] = static_cast<uint8_t>(slot >> 8);
    slot_[2] = static_cast<uint8_t>(slot >> 16);
  }
  uint8_t slot_[3] = {0, 0, 0};
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

  // One byte for both, beside the attributes' three: a parsed document has
  // millions of nodes.
  int8_t kind : 6;     // an xml_kind
  int8_t closed : 2;   // 0 or 1; for end tags: it found its element
  xml_attributes attributes;   // lower-cased name -> value as written
  node_name name;    // lower-cased element name (kinds 1, 2, 3), else empty
  krtext raw_text;   // the token's exact source bytes (a parsed node's: a view)

  // The record's spare text Value, always empty: one shared constant rather
  // than 32 bytes in every node.
  static const krval &spare();
};

using xml_tree = kre_tree<xml_node>;
