// html_toc: one run of the document transform. It finds where the TOC goes
// and where an old one stands, gives every qualifying heading after that place
// an anchor (or keeps the one it has), and records one toc_node per heading
// in the toc_tree, nested by level. It only ever adds text: an anchor's start
// and end joined to a heading's start and end tags (or as text nodes where
// the heading has no end tag of its own), or an id in its start tag; the old
// block is left out later, by the writer.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>
#include "html/xml_node.h"
#include "toc/entry_text.h"
#include "toc/name_set.h"
#include "toc/toc_comment.h"
#include "toc/toc_options.h"
#include "toc/toc_tree.h"
#include "value/krarr.h"
#include "value/krval.h"

// What the transform's passes return when memory for an entry or an anchor
// runs out (0 otherwise): the file job's memory error.
constexpr int32_t toc_out_of_memory = 3;

// Whether a comment, as a terminated string, matches the pattern.
using toc_comment_matcher = bool (*)(const krval &pattern, const krval &comment);

class pre_html_toc {
public:
  int32_t range_from = 1;
  int32_t range_to = 6;
  int32_t process_decimal_notation = 0;
  xml_tree *document = nullptr;     // not owned
  xml_node *start_marker = nullptr;
  xml_node *end_marker = nullptr;

  // The level of an h1..h9 tag name within the range, else 0.
  int32_t heading_level(const krval &name) const;
};

class html_toc : public pre_html_toc {
public:
  html_toc();

  krval named_anchor_attributes;
  int32_t process_title = 0;
  toc_tree *tree = nullptr;              // not owned
  toc_node *current_entry = nullptr;     // in: last entry of an earlier run; out: last added
  xml_node *insertion_node = nullptr;
  krval toc_comment_pattern;
  xml_node *body_node = nullptr;
  xml_node *first_heading = nullptr;
  krarr decimal_nodes;                   // stays empty: numbers are written by insert_number
  // Where set, the parser's landmarks of the document (krhtml::landmarks):
  // both passes then look at those alone instead of walking every node.
  // Not owned; they must stay as they are until the second pass is over.
  const std::vector<xml_node *> *landmarks = nullptr;
  bool landmarks_hold_names = false;   // listed with is_landmark_or_named
  // Anchors, naming, exclusions and the stamp; none: the window's defaults
  // with stamp 0. Not owned. The range and the anchor attributes are the
  // fields above.
  const toc_options *options = nullptr;
  // Matches the TOC comment pattern against a comment, for the engine,
  // which loads no library: the callers give the regex library's match.
  // None: the comment reader alone decides.
  toc_comment_matcher comment_matcher = nullptr;
  // A comment whose first word is toc and more words follow is a TOC
  // comment too, its settings read later (quenby-toc's pages; see
  // toc_comment.h); off, only a comment holding the word alone counts.
  bool settings_in_comments = false;

  // What the first pass looks at, for the parser to list as it reads
  // (krhtml::is_landmark): every start tag named body or h and one more
  // byte (a heading of any level), and every comment.
  static bool is_landmark(const xml_node &n);
  // The same and every tag that may hold an id or a name, for a run that
  // makes readable names: those must not take one of the page's, and the
  // tags are then looked at while the parser has them at hand instead of in
  // a walk over every node.
  static bool is_landmark_or_named(const xml_node &n);

  // The style's heading range, switches and anchor attributes.
  void take_style(const toc_style &style);

  // 0, or toc_out_of_memory. The two passes
  // may also run one after the other, with the range and options set in
  // between from what the first found (a TOC comment's settings).
  int32_t transform();
  int32_t find_places();        // first pass
  int32_t anchor_headings();    // the rest
  // Instead of the rest: takes out of every heading the anchor or id this
  // tool put there (as the options' style makes them), leaving the page's
  // own; no entries are made, so the writer leaves out the old block and
  // writes no new one. 0, or toc_out_of_memory.
  int32_t remove_insertions();
  // Links a new entry after the current one, nested by level.
  void add_entry(toc_node *entry);

  // The TOC comment that places the TOC, found by the first pass, or none.
  xml_node *toc_comment = nullptr;

  int32_t stamp = 0;            // of this run's anchors
  int32_t anchor_counter = 0;

private:
  // A heading (h1 to h9 with content) among the landmarks, with its place:
  // its number among them. Places are only ever compared with each other.
  struct heading_place {
    xml_node *node;
    int32_t level;
    uint32_t place;
  };

  // The landmarks both passes go through: the parser's, else the walk's.
  const std::vector<xml_node *> &places() const { return landmarks ? *landmarks : walked_landmarks; }
  // Whether the landmark at this place is a heading, and which.
  bool heading_at(size_t place, heading_place &h) const;
  void look_at(xml_node *n, uint32_t place);
  void choose_insertion_node();
  toc_comment_form form_of_comment(const xml_node *comment) const;
  void take_settings_comment_after_lone_start();
  // Null when out of memory, and where nothing of the heading is for a
  // reader to see (listed false): then it gets no anchor and no entry.
  toc_node *anchor_heading(xml_node *heading, size_t &next_place, bool &listed);
  bool anchored_here(const heading_place &h) const;
  template <class Visit>
  void walk_heading(xml_node *heading, size_t &next_place, Visit visit) const;
  void own_name_of(xml_node *heading, const xml_node *d, krval &name) const;
  bool left_out(const heading_place &h) const;
  bool left_out_by_class(const xml_node *heading) const;
  void mark_headings_left_out();
  void make_name(const std::string &entry_text, std::string &name);
  void give_free_suffix(std::string &name, bool take);
  bool given_with_suffix(const std::string &name) const;
  void collect_page_names();
  bool stamp_used_before();
  bool insert_anchor(xml_node *heading, const std::string &name);
  bool holds_id_attribute(xml_node *tag) const;
  bool remove_made_id(xml_node *heading);
  void remove_made_anchor(xml_node *heading);
  void remove_number(xml_node *heading);
  bool is_number(const xml_node *n) const;
  bool insert_number(xml_node *heading, toc_node *entry);
  bool in_range(int32_t level) const { return level >= range_from && level <= range_to; }

  // Attribute names looked up for every heading; a run's own, so that runs
  // on several threads share nothing.
  const krval id_key{"id"}, name_key{"name"}, class_key{"class"};

  // The landmarks a walk found, where the parser listed none: the second
  // pass goes through these alone.
  std::vector<xml_node *> walked_landmarks;
  uint32_t body_place = 0, toc_comment_place = 0, start_marker_place = 0;
  // The first comment with settings after the old block's start marker,
  // while no end marker has followed: the block's or the author's.
  xml_node *settings_comment_in_block = nullptr;
  uint32_t settings_comment_in_block_place = 0;
  // Headings from this place on get anchors, and the insertion node itself
  // when it is a heading.
  uint32_t insertion_place = 0;
  // Every name of the page (ids, and names of a elements) and every name
  // made in this run: a made name must be none of them. Collected when the
  // first name is made.
  name_set taken_names;
  // For each name met taken: the suffix to try next. A readable name given
  // with a suffix is taken through this alone (given_with_suffix).
  std::unordered_map<std::string, uint32_t> next_suffix;
  // By place, the headings left out for where they stand or for a class
  // word; empty where the run leaves none out.
  std::vector<uint8_t> left_out_marks;
  entry_reader reader;
  // The options' class words to leave out, with notoc outside the classic
  // style.
  name_set skipped_classes;
  bool names_collected = false;
  // A heading's text and its made name, kept from heading to heading for
  // their room.
  std::string heading_text, made_name;
};

// The TOC comment pattern: a comment holding only the word toc.
extern const char toc_comment_pattern_text[];
