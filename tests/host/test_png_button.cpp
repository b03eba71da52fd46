// The skin image button on a real display (run through xvfb-run): its slices, hover, press and
// click notifications, and Enter.
#include "host/PngButton.h"
#include "tests/TestSupport.h"
#include "tests/platform/gtk/GtkTestSupport.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <fstream>
#include <functional>
#include <vector>

using namespace pennoria;
using pennoria::testing::Pump;
using pennoria::testing::ScratchFolder;

namespace {

// A 40 x 120 image whose four slices are told apart by colour.
std::string WriteButtonImage(const std::string& path, int height = 120) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, height);
    cairo_t* cr = cairo_create(s);
    const double colours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        cairo_set_source_rgb(cr, colours[i][0], colours[i][1], colours[i][2]);
        cairo_rectangle(cr, 0, i * (height / 4), 40, height / 4);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
    return path;
}

GdkEvent* MakeEvent(GdkEventType type, GtkWidget* widget) {
    GdkEvent* e = gdk_event_new(type);
    e->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    e->any.send_event = TRUE;
    return e;
}

void Send(GtkWidget* widget, GdkEventType type, double x = 10, double y = 10, guint keyval = 0) {
    GdkEvent* e = MakeEvent(type, widget);
    if (type == GDK_BUTTON_PRESS || type == GDK_BUTTON_RELEASE) {
        e->button.button = 1;
        e->button.x = x;
        e->button.y = y;
    } else if (type == GDK_MOTION_NOTIFY) {
        e->motion.x = x;
        e->motion.y = y;
        e->motion.state = GDK_BUTTON1_MASK;
    } else if (type == GDK_KEY_PRESS) {
        e->key.keyval = keyval;
    } else if (type == GDK_ENTER_NOTIFY || type == GDK_LEAVE_NOTIFY) {
        e->crossing.x = x;
        e->crossing.y = y;
    }
    gtk_widget_event(widget, e);
    gdk_event_free(e);
}

} // namespace

class PngButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window), fixed);
        button.SetNotifyWindow([this](int id) { clicks.push_back(id); });
        gtk_fixed_put(GTK_FIXED(fixed), button.Widget(), 30, 20);
        button.SetImage(WriteButtonImage(folder / "button.png"));
        gtk_widget_show_all(window);
        Pump();
    }
    void TearDown() override { gtk_widget_destroy(window); }

    ScratchFolder folder;
    GtkWidget* window = nullptr;
    GtkWidget* fixed = nullptr;
    host::PngButton button{1002};
    std::vector<int> clicks;
};

TEST_F(PngButtonTest, SizedToOneSliceAndKeepsItsCornerWhenTheImageChanges) {
    GtkAllocation a;
    gtk_widget_get_allocation(button.Widget(), &a);
    EXPECT_EQ(a.width, 40);
    EXPECT_EQ(a.height, 30);
    button.SetImage(WriteButtonImage(folder / "tall.png", 121));
    Pump();
    gtk_widget_get_allocation(button.Widget(), &a);
    EXPECT_EQ(a.height, 30);
    EXPECT_EQ(a.x, 30);
    EXPECT_EQ(a.y, 20);
    // An image that does not load: a 0 x 0 button.
    button.SetImage(folder / "missing.png");
    EXPECT_EQ(button.Width(), 0);
    EXPECT_EQ(button.Height(), 0);
}

TEST_F(PngButtonTest, HoverPressAndClickNotifications) {
    GtkWidget* w = button.Widget();
    EXPECT_EQ(button.CurrentSlice(), host::ButtonSlice::Normal);
    Send(w, GDK_ENTER_NOTIFY);
    EXPECT_EQ(button.CurrentSlice(), host::ButtonSlice::Highlighted);
    Send(w, GDK_BUTTON_PRESS);
    EXPECT_EQ(button.CurrentSlice(), host::ButtonSlice::Pressed);
    // Dragged off and released outside: the pressed look goes, the click still counts.
    Send(w, GDK_MOTION_NOTIFY, 100, 100);
    EXPECT_NE(button.CurrentSlice(), host::ButtonSlice::Pressed);
    Send(w, GDK_BUTTON_RELEASE, 100, 100);
    EXPECT_TRUE(clicks.empty()); // posted, not sent from inside the event
    Pump();
    EXPECT_EQ(clicks, std::vector<int>{1002});
    // A double click is two presses and two notifications.
    clicks.clear();
    for (int i = 0; i < 2; ++i) {
        Send(w, GDK_BUTTON_PRESS);
        Send(w, GDK_2BUTTON_PRESS);
        Send(w, GDK_BUTTON_RELEASE);
    }
    Pump();
    EXPECT_EQ(clicks, (std::vector<int>{1002, 1002}));
}

TEST_F(PngButtonTest, EnterOnTheFocusedButtonNotifiesAndGoesOn) {
    GtkWidget* w = button.Widget();
    gtk_widget_grab_focus(w);
    Pump();
    Send(w, GDK_KEY_PRESS, 0, 0, GDK_KEY_Return);
    Pump();
    EXPECT_EQ(clicks, std::vector<int>{1002});
    Send(w, GDK_KEY_PRESS, 0, 0, GDK_KEY_a);
    Pump();
    EXPECT_EQ(clicks.size(), 1u);
}
