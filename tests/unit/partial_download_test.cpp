#include <gtest/gtest.h>

#include "net/partial_download.h"

// A kept download continues only the same address with what asking again
// needs; a note that is not ours, or bytes beyond its total, start over.
TEST(PartialDownload, OnlyAWholeNoteOfTheSameAddressContinues) {
    const std::string url = "https://localhost:8443/files/big.bin";
    PartialDownload note;
    ASSERT_TRUE(ReadPartialNote(WritePartialNote({url, "\"v1\"", 1000}), note));
    EXPECT_EQ(note.validator, "\"v1\"");
    EXPECT_EQ(note.total, 1000u);
    const struct { const char* name; PartialDownload note; std::string url; unsigned long long onDisk; bool continues; } cases[] = {
        {"half of it", {url, "\"v1\"", 1000}, url, 500, true},
        {"all of it", {url, "\"v1\"", 1000}, url, 1000, true},
        {"more than its total", {url, "\"v1\"", 1000}, url, 1001, false},
        {"nothing kept", {url, "\"v1\"", 1000}, url, 0, false},
        {"another address", {url, "\"v1\"", 1000}, url + "?x", 500, false},
        {"no validator", {url, "", 1000}, url, 500, false},
        {"no total", {url, "\"v1\"", 0}, url, 500, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ContinuesPartial(c.note, c.url, c.onDisk), c.continues) << c.name;
    for (const char* json : {"", "[]", "{\"url\":\"x\",\"validator\":\"v\"}", "{\"url\":1,\"validator\":\"v\",\"total\":5}",
                             "{\"url\":\"x\",\"validator\":\"v\",\"total\":-5}", "{\"url\":\"x\""})
        EXPECT_FALSE(ReadPartialNote(json, note)) << json;
    EXPECT_NE(PartialKey(url), PartialKey(url + "?x"));
    EXPECT_EQ(PartialKey(url).size(), 16u);
}
