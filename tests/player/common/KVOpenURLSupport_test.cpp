// Which URLs a game may open. (Spawning the opener is tested through the
// player, with a stand-in opener on PATH: tests/player/standalone.)
#include <gtest/gtest.h>

#include "player/common/KVOpenURLSupport.h"

namespace {

TEST(KVOpenURLSupport, OnlyWebAndMailURLsAreOpenable)
{
    for (const char* url : {"http://example.test", "https://example.test/a?b=c&d=$(e)#f", "HTTPS://EXAMPLE.TEST/",
                            "mailto:someone@example.test", "MailTo:x", "https://\xC3\xA9xample.test/\xC3\xA9"})
        EXPECT_TRUE(KVOpenURLSupport::isOpenableURL(url)) << url;
    for (const char* url : {"", "example.test", "file:///etc/passwd", "FILE:/etc/passwd", "javascript:alert(1)",
                            "steam://run/1", "ftp://example.test/", "smb://host/share", "http:", "http:/x",
                            "http://", "mailto:", "-https://x", " https://example.test", "https://a b",
                            "https://a\nb", "https://a\tb", "https://a\x7F"})
        EXPECT_FALSE(KVOpenURLSupport::isOpenableURL(url)) << url;
}

}  // namespace
