// The configuration dialog (template 2003 rebuilt in GTK 3) and message boxes. The core's
// dialog procedure drives the dialog through the dialog-controls functions.
#include <gtk/gtk.h>

#include <cstdio>

#include "platform/desktop.h"
#include "platform/dialog_controls.h"
#include "platform/saver_shell.h"
#include "platform/sdl/abrupt_end.h"
#include "platform/sdl/event_translation.h"
#include "platform/sdl/gtk_start.h"
#include "platform/sdl/watchdog.h"
#include "platform/sdl/x11_windows.h"
#include "platform/window_messages.h"
#include "settings/config_dialog.h"
#include "settings/dialog_number.h"

namespace vorlix::sdl {

bool GtkReady() {
    static int ready = -1;
    if (ready >= 0) return ready == 1;
    ready = gtk_init_check(nullptr, nullptr) ? 1 : 0;
    // GTK's own handlers, for a lost X server and for X errors, replace ours.
    CatchXServerLoss();
    if (ready == 1) X11TakeBackErrors();
    return ready == 1;
}

}  // namespace vorlix::sdl

namespace vorlix::platform {

namespace {

using sdl::GtkReady;

constexpr int ResolutionButtons = 6;
constexpr const char* ResolutionTexts[ResolutionButtons] = {
    "640x480", "800x600", "1024x768", "1152x864", "1280x1024", "1600x1200"};
constexpr const char* ZoomTexts[ZoomButtons] = {"Auto", "1", "2", "3", "4"};
constexpr const char* Caption = "Vorlix v1.20";
constexpr const char* UpdatesText = "Updates: https://github.com/vorlix/vorlix";
constexpr WParam CommandOk = 1;
constexpr WParam CommandCancel = 2;

struct ConfigDialog {
    GtkWidget* window = nullptr;
    GtkWidget* resolutions[ResolutionButtons] = {};
    GtkWidget* desktopSize = nullptr;
    GtkWidget* zooms[ZoomButtons] = {};
    GtkWidget* density = nullptr;
    GtkWidget* highlight = nullptr;
    DialogProc procedure = nullptr;
    bool ended = false;
    int result = 0;
};

ConfigDialog* FromHandle(WindowHandle dialog) { return reinterpret_cast<ConfigDialog*>(dialog); }
WindowHandle ToHandle(ConfigDialog* dialog) { return reinterpret_cast<WindowHandle>(dialog); }

GtkWidget* Control(WindowHandle handle, int id) {
    ConfigDialog* dialog = FromHandle(handle);
    if (dialog == nullptr) return nullptr;
    if (id >= IdResolutionFirst && id < IdResolutionFirst + ResolutionButtons)
        return dialog->resolutions[id - IdResolutionFirst];
    if (id == IdResolutionDesktop) return dialog->desktopSize;
    if (id >= IdZoomFirst && id < IdZoomFirst + ZoomButtons) return dialog->zooms[id - IdZoomFirst];
    if (id == IdDensity) return dialog->density;
    if (id == IdHighlight) return dialog->highlight;
    return nullptr;
}

GtkWidget* LeftLabel(const char* text) {
    GtkWidget* label = gtk_label_new(text);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    return label;
}

GtkWidget* NumberEntry() {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 6);
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    return entry;
}

void OnResponse(GtkDialog*, gint response, gpointer data) {
    auto* dialog = static_cast<ConfigDialog*>(data);
    if (dialog->ended) return;
    WParam command = response == GTK_RESPONSE_OK ? CommandOk : CommandCancel;
    dialog->procedure(ToHandle(dialog), WM_COMMAND, command, 0);
}

// "Desktop size" with the glyph zoom beside it, Auto and 1 to 4, in rows 3 and 4.
void BuildDesktopChoices(ConfigDialog& dialog, GtkWidget* grid, GSList* group) {
    dialog.desktopSize = gtk_radio_button_new_with_label(group, "Desktop size");
    gtk_grid_attach(GTK_GRID(grid), dialog.desktopSize, 0, 3, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), LeftLabel("Glyph zoom with Desktop size"), 1, 3, 2, 1);
    GtkWidget* zooms = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    GSList* zoomGroup = nullptr;
    for (int i = 0; i < ZoomButtons; ++i) {
        dialog.zooms[i] = gtk_radio_button_new_with_label(zoomGroup, ZoomTexts[i]);
        zoomGroup = gtk_radio_button_get_group(GTK_RADIO_BUTTON(dialog.zooms[i]));
        gtk_box_pack_start(GTK_BOX(zooms), dialog.zooms[i], FALSE, FALSE, 0);
    }
    gtk_grid_attach(GTK_GRID(grid), zooms, 1, 4, 2, 1);
}

// Two rows of three resolutions, "Desktop size" and the zoom, the two number fields under
// their labels, the version and updates lines, then OK (the default) and Cancel.
void Build(ConfigDialog& dialog) {
    dialog.window = gtk_dialog_new_with_buttons(Caption, nullptr, GTK_DIALOG_MODAL, "OK",
                                                GTK_RESPONSE_OK, "Cancel", GTK_RESPONSE_CANCEL,
                                                nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.window), GTK_RESPONSE_OK);
    gtk_window_set_resizable(GTK_WINDOW(dialog.window), FALSE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog.window), TRUE);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 10);
    gtk_grid_attach(GTK_GRID(grid), LeftLabel("Resolution"), 0, 0, 3, 1);
    GSList* group = nullptr;
    for (int i = 0; i < ResolutionButtons; ++i) {
        dialog.resolutions[i] = gtk_radio_button_new_with_label(group, ResolutionTexts[i]);
        group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(dialog.resolutions[i]));
        gtk_grid_attach(GTK_GRID(grid), dialog.resolutions[i], i % 3, 1 + i / 3, 1, 1);
    }
    BuildDesktopChoices(dialog, grid, group);
    dialog.density = NumberEntry();
    dialog.highlight = NumberEntry();
    gtk_grid_attach(GTK_GRID(grid), LeftLabel("Vorlix density (0-400)"), 0, 5, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), LeftLabel("Highlight percentage (0-100):"), 1, 5, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), dialog.density, 0, 6, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), dialog.highlight, 1, 6, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), LeftLabel("Vorlix v1.20"), 0, 7, 3, 1);
    gtk_grid_attach(GTK_GRID(grid), LeftLabel(UpdatesText), 0, 8, 3, 1);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog.window));
    gtk_container_add(GTK_CONTAINER(content), grid);
}

void DrainEvents() {
    for (int i = 0; i < 1000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

// Shows the window and gives it the keyboard, also when no window manager would: a saver
// window that had the focus and went away leaves it with nobody.
void ShowWithFocus(GtkWidget* window) {
    gtk_widget_show_all(window);
    for (int i = 0; i < 200 && !gtk_widget_get_mapped(window); ++i) {
        gtk_main_iteration_do(FALSE);
        g_usleep(5000);
    }
    gtk_window_present(GTK_WINDOW(window));
}

// A termination signal answers the box as the user would, so the saver can go on to its end.
constexpr guint TerminationLookMs = 100;

gboolean AnswerOnTermination(gpointer box) {
    if (sdl::TerminationRequested()) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    return G_SOURCE_CONTINUE;
}

GtkMessageType MessageTypeOf(std::uint32_t style) {
    switch (style & 0xF0) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case 0x40: return GTK_MESSAGE_INFO;
    case 0x20: return GTK_MESSAGE_QUESTION;
    default: return GTK_MESSAGE_OTHER;
    }
}

}  // namespace

int RunModalDialog(int templateId, WindowHandle, DialogProc procedure) {
    if (templateId != ConfigDialogTemplate || procedure == nullptr) return -1;
    sdl::UserWait waitingForUser;
    if (!GtkReady()) {
        std::fprintf(stderr, "vorlix: no display: neither DISPLAY nor WAYLAND_DISPLAY leads to "
                             "a display, so the settings dialog cannot be shown\n");
        return -1;
    }
    ConfigDialog dialog;
    dialog.procedure = procedure;
    Build(dialog);
    g_signal_connect(dialog.window, "response", G_CALLBACK(OnResponse), &dialog);
    ShowWithFocus(dialog.window);
    procedure(ToHandle(&dialog), WM_INITDIALOG, 0, 0);
    gtk_widget_grab_focus(dialog.density);
    while (!dialog.ended) gtk_main_iteration_do(TRUE);
    gtk_widget_destroy(dialog.window);
    DrainEvents();
    return dialog.result;
}

void CheckDialogButton(WindowHandle dialog, int id, bool checked) {
    GtkWidget* button = Control(dialog, id);
    if (button == nullptr || !GTK_IS_TOGGLE_BUTTON(button)) return;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), checked ? TRUE : FALSE);
}

bool IsDialogButtonChecked(WindowHandle dialog, int id) {
    GtkWidget* button = Control(dialog, id);
    if (button == nullptr || !GTK_IS_TOGGLE_BUTTON(button)) return false;
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) != FALSE;
}

void SetDialogNumber(WindowHandle dialog, int id, std::uint32_t value) {
    GtkWidget* entry = Control(dialog, id);
    if (entry == nullptr || !GTK_IS_ENTRY(entry)) return;
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    gtk_entry_set_text(GTK_ENTRY(entry), text);
}

std::uint32_t DialogNumber(WindowHandle dialog, int id) {
    GtkWidget* entry = Control(dialog, id);
    if (entry == nullptr || !GTK_IS_ENTRY(entry)) return 0;
    return ParseDialogNumber(gtk_entry_get_text(GTK_ENTRY(entry)));
}

void EndDialogWith(WindowHandle handle, int result) {
    ConfigDialog* dialog = FromHandle(handle);
    if (dialog == nullptr) return;
    dialog->ended = true;
    dialog->result = result;
}

int ShowMessageBox(WindowHandle, const char* text, const char* caption, std::uint32_t style) {
    // Also on the terminal: the log of a session and scripts see what the user saw.
    std::fprintf(stderr, "vorlix: %s\n", text != nullptr ? text : "");
    sdl::UserWait waitingForUser;
    if (!GtkReady()) return 0;
    GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageTypeOf(style),
                                            GTK_BUTTONS_OK, "%s", text != nullptr ? text : "");
    gtk_window_set_title(GTK_WINDOW(box), caption != nullptr ? caption : "");
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    ShowWithFocus(box);
    guint termination = g_timeout_add(TerminationLookMs, AnswerOnTermination, box);
    gtk_dialog_run(GTK_DIALOG(box));
    g_source_remove(termination);
    gtk_widget_destroy(box);
    DrainEvents();
    return IDOK;
}

}  // namespace vorlix::platform
