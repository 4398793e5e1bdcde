#include "player/core/Texts.h"

#include <gtest/gtest.h>

namespace vornal {
namespace {

// The engine's messages are code page 932 bytes, checked here without the converter.
TEST(Texts, AreExactCodePage932Bytes) {
    EXPECT_EQ(texts::ItemListHeading(), "[\x8f\x8a\x8e\x9d\x83\x41\x83\x43\x83\x65\x83\x80]");
    EXPECT_EQ(texts::EnterProperly(),
              "\x90\xb3\x82\xb5\x82\xad\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3"
              "\x82\xa2");
    EXPECT_EQ(texts::LabelNotFound("x").substr(0, 12), "Error:\x83\x89\x83\x78\x83\x8b");
    EXPECT_EQ(texts::BadValue(0, "*WAIT x").substr(0, 7), "Error:1");
}

}  // namespace
}  // namespace vornal
