// krsgml: the generic markup tokenizer. It cuts the byte stream into markup
// tokens ("<...>" constructs of the enabled kinds) and the text between them,
// and hands each to emit_token / emit_text. Its state carries over between
// steps, so a token may span any number of chunks.
#pragma once
#include <cstdint>
#include "html/krlexer.h"

// One row of the kind table: how a token of that kind ends.
struct tag_description {
  krval closing{">"};
  uint8_t option1 = 0;   // the three options have no effect in this program
  uint8_t option2 = 0;
  uint8_t option3 = 0;
};

// Token kinds of the tokenizer (kind 3 and text are the tree builder's).
enum krsgml_kind : int32_t {
  SGML_START_TAG = 1,
  SGML_END_TAG = 2,
  SGML_DECLARATION = 4,
  SGML_COMMENT = 5,
  SGML_CDATA = 6,
  SGML_DOCTYPE = 7,
  SGML_ELEMENT_DECL = 8,
  SGML_ATTLIST_DECL = 9,
  SGML_ENTITY_DECL = 10,
  SGML_PROCESSING = 11,
  SGML_SERVER_SCRIPT = 12,
  SGML_HASH = 13,
  SGML_SSI = 14,
  SGML_UNCLASSIFIED = 15,
};

// Step results.
enum krsgml_status : int32_t {
  SGML_MORE = 0,        // all received input consumed, more may follow
  SGML_TOO_LARGE = 1,   // the chunks reached the size limit; nothing consumed
  SGML_DONE = 2,        // input complete and consumed
  SGML_NO_MEMORY = 3,   // a node could not be allocated
};

class krsgml : public kr_unicode_lexer {
public:
  krsgml();

  // Consumes all input available; returns a krsgml_status.
  int32_t step();

  virtual int32_t finish();       // end of input: the rest becomes text
  virtual int32_t emit_text();    // the token holds a run of text
  virtual int32_t emit_token();   // the token holds a complete markup token

  tag_description table[16];
  uint8_t enabled[16] = {};
  krval token;                 // bytes collected since the last emission (see token_chunk)
  uint8_t in_markup = 0;
  int32_t kind = -1;
  uint8_t classifying = 1;
  uint8_t candidates = 0;      // declaration keywords still possible (bits below)
  krval closing{">"};          // the closing sequence in force

  // What the text after the last start tag is. Browsers read the content of
  // script, style, textarea and their like as text up to the element's end
  // tag, and that of plaintext up to the end of the document: a "<" there
  // starts no tag.
  enum text_mode : uint8_t {
    TEXT_MARKUP = 0,        // tags, comments and text as usual
    TEXT_UNTIL_END_TAG,     // text up to "</" + end_tag_name + a blank, "/" or ">"
  };
  uint8_t text_mode = TEXT_MARKUP;

  enum keyword_bit : uint8_t {
    KW_COMMENT = 1,
    KW_CDATA = 2,
    KW_DOCTYPE = 4,
    KW_ELEMENT = 8,
    KW_ATTLIST = 16,
    KW_ENTITY = 32,
  };

protected:
  // Enables kind k (1 to 15) for each set bit k-1 of mask (see kind_bit).
  void enable_kinds(uint32_t mask);
  static constexpr uint32_t kind_bit(krsgml_kind k) { return 1u << (k - 1); }

  // Called by a tree builder as it takes a start tag: the content that
  // follows is text, up to the end tag of name (lower case letters, which
  // must outlive the element's text) or, with length 0, up to the end.
  void read_content_as_text(const char *name, int32_t length);

  // While the token's bytes stand in one piece in one chunk, the token is a
  // view of them (token.text.is_view()) and this is that chunk; a token
  // across chunks is a copy. A tree builder may then keep the chunk's bytes
  // rather than copy them.
  krarrnode *token_chunk() const { return token_source; }

private:
  // Appends n bytes read at from to the token, following where they lie.
  void take_bytes(const char *from, int32_t n);
  int32_t handle_byte(const char *at);
  int32_t read_text_content(const char *&p, const char *end);
  int32_t start_end_tag();
  int32_t start_markup(const char *lt);
  int32_t end_markup_if_closed();
  void classify();
  void end_classification();

  krarrnode *token_source = nullptr;   // see token_chunk
  krarrnode *run_chunk = nullptr;      // the chunk step is reading
  const char *end_tag_name = nullptr;  // lower case; see text_mode
  int32_t end_tag_length = 0;
  int32_t candidate_at = -1;           // where in the token a "<" that may start the end tag stands
};
