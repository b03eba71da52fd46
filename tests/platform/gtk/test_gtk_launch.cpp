// The desktop launcher on a system where no program is registered for anything (the test runs
// with empty XDG data and configuration folders): a web address, a document and the preview's
// address are handed over, then fail, and each failure names what the user can open by hand.
#include "platform/gtk/GtkShell.h"
#include "tests/TestSupport.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

using namespace pennoria;
using pennoria::testing::ScratchFolder;

TEST(GtkLaunch, AProgramThatCannotStartIsReportedWithWhatToOpen) {
    ScratchFolder folder;
    // The private pages that forward to the preview go here.
    pennoria::testing::ScopedEnv runtime("XDG_RUNTIME_DIR", folder / "");
    const std::string help = folder / "index.html";
    std::ofstream(help) << "<html></html>";
    std::map<std::string, std::string> failed;
    {
        platform::GtkShell shell;
        shell.SetLaunchFailureHandler(
            [&failed](const std::string& shown, const std::string& reason) {
                failed[shown] = reason;
            });
        const std::string preview = shell.BrowserAddressOf(folder / "");
        ASSERT_EQ(preview.rfind("http://127.0.0.1:", 0), 0u) << preview;
        // Handed over: the failure comes later, from the main loop.
        EXPECT_TRUE(shell.OpenUri("https://example.org/page.html"));
        EXPECT_TRUE(shell.OpenDocument(help));
        EXPECT_TRUE(shell.OpenUri(preview + "index.html"));
        for (int i = 0; i < 20000 && failed.size() < 3; ++i) {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            g_usleep(1000);
        }
        ASSERT_EQ(failed.size(), 3u);
        EXPECT_EQ(failed.count("https://example.org/page.html"), 1u);
        EXPECT_EQ(failed.count(help), 1u);
        // The preview's own address, not the private page that forwards to it.
        EXPECT_EQ(failed.count(preview + "index.html"), 1u);
        for (const auto& [shown, reason] : failed)
            EXPECT_FALSE(reason.empty()) << shown;

        // The shell goes while a launch is under way: the late failure reaches nobody.
        EXPECT_TRUE(shell.OpenUri("https://example.org/late.html"));
    }
    for (int i = 0; i < 200; ++i)
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    EXPECT_EQ(failed.count("https://example.org/late.html"), 0u);
}
