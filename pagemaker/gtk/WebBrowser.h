// A WebKitGTK view standing in for the embedded browser of the dialogs.
#pragma once

#include "pagemaker/DialogFront.h"
#include "pagemaker/PageBuilder.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace quibo::pagemaker {

class WebBrowser : public Browser {
public:
    WebBrowser();
    void navigate(const std::string& path) override;
    void runScript(const std::string& script) override;
    GtkWidget* widget() const { return GTK_WIDGET(m_view); }
    // Whether the page's input method holds a text it is composing.
    bool composing() const;

private:
    WebKitWebView* m_view;
};

// How the dialogs tell a key apart.
Key keyOf(const GdkEventKey* event);

}  // namespace quibo::pagemaker
