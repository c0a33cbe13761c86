#include "html/krlexer.h"

#include <gtest/gtest.h>

#include "html/krhtml.h"

namespace {

void add_text(krparser &p, const char *s) {
  krval chunk(s);
  p.add(chunk);
}

TEST(krlexer, ReadsAcrossChunksSkippingEmptyOnes) {
  krlexer lexer;
  EXPECT_EQ(lexer.read_byte(), -2);   // nothing yet
  add_text(lexer, "");
  add_text(lexer, "ab");
  add_text(lexer, "");
  add_text(lexer, "\xff");
  EXPECT_EQ(lexer.read_byte(), 'a');
  EXPECT_EQ(lexer.read_byte(), 'b');
  EXPECT_EQ(lexer.read_byte(), 255);   // bytes read unsigned
  EXPECT_EQ(lexer.read_byte(), -2);
  EXPECT_EQ(lexer.read_byte(), -2);   // the position does not move
  add_text(lexer, "c");
  EXPECT_EQ(lexer.read_byte(), 'c');  // a later chunk goes on with its first byte
  lexer.mark_input_complete();
  EXPECT_EQ(lexer.read_byte(), -1);
  EXPECT_EQ(lexer.read_byte(), -1);
}

TEST(krlexer, AnEmptyFirstChunkWaitsForTheNext) {
  krlexer lexer;
  add_text(lexer, "");
  EXPECT_EQ(lexer.read_byte(), -2);
  add_text(lexer, "x");
  EXPECT_EQ(lexer.read_byte(), 'x');
}

TEST(krlexer, ChunksAreReadAsText) {
  krlexer lexer;
  krval number(int32_t(42));
  lexer.add(number);
  EXPECT_EQ(lexer.received(), 2);
  EXPECT_EQ(lexer.read_byte(), '4');
  EXPECT_EQ(lexer.read_byte(), '2');
}

TEST(krparser, CountsTheBytesOfEveryChunk) {
  krparser p;
  EXPECT_EQ(p.size_limit, 65536);
  add_text(p, "abc");
  add_text(p, "de");
  EXPECT_EQ(p.received(), 5);
  EXPECT_EQ(p.count(), 2);
}

// The step after the chunk that reaches the limit refuses, without reading.
TEST(krhtml, RefusesInputAtTheSizeLimitBeforeConsumingIt) {
  xml_tree tree;
  tree.append_top_level(new xml_node);
  krhtml parser;
  EXPECT_EQ(parser.size_limit, 4194304);
  parser.set_tree(&tree);
  std::string part(krhtml::kSizeLimit - 9, 'a');
  krval chunk(part.data(), static_cast<int32_t>(part.size()));
  parser.add(chunk);
  EXPECT_EQ(parser.step(), 0);
  krval more("<p>fi</p");
  parser.add(more);
  EXPECT_EQ(parser.step(), 0);   // 4194303 bytes
  krval last(">");
  parser.add(last);
  EXPECT_EQ(parser.step(), 1);
  EXPECT_EQ(parser.read_byte(), '>');   // the last chunk is still unread
  parser.mark_input_complete();
  EXPECT_EQ(parser.step(), 1);
  EXPECT_EQ(tree.count, 3);   // root, the text and the p; "</p" is still a token
  EXPECT_EQ(parser.token.str(), "</p");
}

TEST(krhtml, OneOversizedChunkIsRefusedWhole) {
  xml_tree tree;
  tree.append_top_level(new xml_node);
  krhtml parser;
  parser.set_tree(&tree);
  std::string all(krhtml::kSizeLimit, '<');
  krval chunk(all.data(), static_cast<int32_t>(all.size()));
  parser.add(chunk);
  EXPECT_EQ(parser.step(), 1);
  EXPECT_EQ(parser.current_chunk, nullptr);
  EXPECT_EQ(parser.offset, -1);
  EXPECT_EQ(tree.count, 1);
}

}  // namespace
