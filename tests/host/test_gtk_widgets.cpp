// The GTK pieces on a real display (run through xvfb-run): the skin image button's slices,
// clicks and Enter, and the native dialogs' default extension, overwrite question and folder
// chooser status line.
#include "host/PngButton.h"
#include "platform/gtk/GtkDialogs.h"
#include "platform/gtk/GtkShell.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <fstream>
#include <functional>
#include <vector>

using namespace pennoria;
using pennoria::testing::ScratchFolder;

namespace {

class GtkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
    }
};
const auto* const kGtk = ::testing::AddGlobalTestEnvironment(new GtkEnvironment);

void Pump() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

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

namespace {

// Runs the main loop until the file chooser has caught up with a change.
void Settle() {
    for (int i = 0; i < 40; ++i) {
        Pump();
        g_usleep(10000);
    }
}

// The file chooser selects asynchronously, after it has listed the folder: waits (at most a few
// seconds) until a label shows the expected text, and gives what it shows then.
std::string LabelTextOnceSettled(GtkWidget* label, const std::string& expected) {
    for (int i = 0; i < 500 && gtk_label_get_text(GTK_LABEL(label)) != expected; ++i) {
        Pump();
        g_usleep(10000);
    }
    return gtk_label_get_text(GTK_LABEL(label));
}

struct PendingDialogWork {
    GType type;
    std::function<void(GtkWidget*)> work;
};

// Runs work against the dialog of a type that a call opens, once it is on screen.
void WhenShown(GType type, std::function<void(GtkWidget*)> work) {
    auto* job = new PendingDialogWork{type, std::move(work)};
    g_timeout_add(
        50,
        [](gpointer data) -> gboolean {
            auto* pending = static_cast<PendingDialogWork*>(data);
            GList* windows = gtk_window_list_toplevels();
            GtkWidget* dialog = nullptr;
            for (GList* l = windows; l; l = l->next)
                if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, pending->type) &&
                    gtk_widget_get_visible(GTK_WIDGET(l->data)))
                    dialog = GTK_WIDGET(l->data);
            g_list_free(windows);
            if (!dialog)
                return G_SOURCE_CONTINUE;
            pending->work(dialog);
            delete pending;
            return G_SOURCE_REMOVE;
        },
        job);
}

void WhenChooserShows(std::function<void(GtkWidget*)> work) {
    WhenShown(GTK_TYPE_FILE_CHOOSER_DIALOG, std::move(work));
}

void WhenMessageShows(std::function<void(GtkWidget*)> work) {
    WhenShown(GTK_TYPE_MESSAGE_DIALOG, std::move(work));
}

GtkWidget* FindByName(GtkWidget* root, const char* name) {
    if (g_strcmp0(gtk_widget_get_name(root), name) == 0)
        return root;
    if (!GTK_IS_CONTAINER(root))
        return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* l = children; l && !found; l = l->next)
        found = FindByName(GTK_WIDGET(l->data), name);
    g_list_free(children);
    return found;
}

} // namespace

TEST(GtkDialogsTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    ScratchFolder folder;
    platform::GtkDialogs dialogs;
    platform::SaveFileRequest request;
    request.filter = "Project files(*.pbf;*.xml)|*.pbf;*.xml||";
    request.defaultExtension = "pbf";
    request.initialFile = folder / "banner";
    WhenChooserShows([](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseSaveFile(request), folder / "banner.pbf");

    // The file exists: the question comes, "No" returns to the chooser, "Yes" takes the name.
    std::ofstream(folder / "banner.pbf") << "old";
    int questions = 0;
    std::function<void(GtkWidget*)> accept;
    accept = [&](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
        WhenMessageShows([&](GtkWidget* q) {
            ++questions;
            if (questions == 1) {
                gtk_dialog_response(GTK_DIALOG(q), GTK_RESPONSE_NO);
                WhenChooserShows(accept);
            } else {
                gtk_dialog_response(GTK_DIALOG(q), GTK_RESPONSE_YES);
            }
        });
    };
    WhenChooserShows(accept);
    EXPECT_EQ(dialogs.ChooseSaveFile(request), folder / "banner.pbf");
    EXPECT_EQ(questions, 2);
}

TEST(GtkDialogsTest, FolderChooserShowsAndFollowsTheStatusLine) {
    ScratchFolder folder;
    ASSERT_EQ(std::system(
                  ("mkdir -p '" + (folder / "first") + "' '" + (folder / "second") + "'").c_str()),
              0);
    platform::GtkDialogs dialogs;
    platform::FolderRequest request;
    request.title = "Current Selection";
    request.initialFolder = folder / "first";
    request.statusText = [](const std::string& path) { return "status:" + path; };
    std::string initialStatus, movedStatus;
    WhenChooserShows([&](GtkWidget* d) {
        GtkWidget* label = FindByName(d, "folder-status");
        ASSERT_NE(label, nullptr);
        initialStatus = LabelTextOnceSettled(label, "status:" + (folder / "first"));
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(d), (folder / "second").c_str());
        movedStatus = LabelTextOnceSettled(label, "status:" + (folder / "second"));
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseFolder(request), folder / "second");
    EXPECT_EQ(initialStatus, "status:" + (folder / "first"));
    EXPECT_EQ(movedStatus, "status:" + (folder / "second"));

    // Confirmed at once: the initial folder itself. Cancelled: nothing.
    WhenChooserShows([&](GtkWidget* d) {
        Settle();
        gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_ACCEPT);
    });
    EXPECT_EQ(dialogs.ChooseFolder(request), folder / "first");
    WhenChooserShows([](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL); });
    EXPECT_EQ(dialogs.ChooseFolder(request), std::nullopt);
}

TEST(GtkDialogsTest, MessageBoxAnswers) {
    platform::GtkDialogs dialogs;
    WhenMessageShows([](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_YES); });
    EXPECT_EQ(dialogs.ShowMessage("Replace?", platform::MessageButtons::YesNo,
                                  platform::MessageIcon::Question),
              platform::MessageAnswer::Yes);
    // Closed from the window: a Yes/No question counts as No.
    WhenMessageShows(
        [](GtkWidget* d) { gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_DELETE_EVENT); });
    EXPECT_EQ(dialogs.ShowMessage("Replace?", platform::MessageButtons::YesNo,
                                  platform::MessageIcon::Question),
              platform::MessageAnswer::No);
}

TEST(DefaultExtension, AddedOnlyToNamesWithoutOne) {
    using platform::WithDefaultExtension;
    EXPECT_EQ(WithDefaultExtension("/a/banner", "pbf"), "/a/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner", ".pbf"), "/a/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner.xml", "pbf"), "/a/banner.xml");
    EXPECT_EQ(WithDefaultExtension("/a.b/banner", "pbf"), "/a.b/banner.pbf");
    EXPECT_EQ(WithDefaultExtension("/a/banner", ""), "/a/banner");
}

TEST(GtkShellTest, OnlyExistingPlacesAndWebAddressesAreHandedOn) {
    ScratchFolder folder;
    platform::GtkShell shell;
    EXPECT_EQ(platform::FileUriForPath("/tmp/a b#c"), "file:///tmp/a%20b%23c");
    EXPECT_EQ(platform::FileUriForPath("relative/path"), "");
    EXPECT_FALSE(shell.OpenFolder(folder / "missing"));
    std::ofstream(folder / "file.txt") << "not a folder";
    EXPECT_FALSE(shell.OpenFolder(folder / "file.txt"));
    EXPECT_FALSE(shell.OpenDocument(folder / "missing.chm"));
    EXPECT_FALSE(shell.OpenUri("file:///etc/passwd"));
    EXPECT_FALSE(shell.OpenUri("/usr/bin/xterm"));
}
