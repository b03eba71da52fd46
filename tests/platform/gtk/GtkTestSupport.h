// What the GTK tests share: GTK started once per test program (skipped without a display) and a
// way to let pending events run.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace pennoria::testing {

class GtkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
    }
};

inline void Pump() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

} // namespace pennoria::testing
