// The file chooser and message boxes run beside the frame loop: while one is up the viewer keeps
// drawing and, as any modal dialog's owner, takes no presses; the chosen file opens when it ends.
#include <optional>
#include <string>

#include "app/frame_steps.h"
#include "app/opening.h"
#include "app/panels.h"
#include "media/desktop/desktop.h"
#include "view/page_view.h"

void startOpenDialog(Viewer& v) {
    if (media::startFileChooser("Select PDF file", "*.pdf", "PDF (*.pdf)|*.pdf")) return;
    showMessagePanel(v, "No file chooser found: install zenity or kdialog.");
    openDocumentPath(v, "");  // as a cancelled choice: the tool bar goes, the pointer is centred
}

void handleDialogs(Viewer& v) {
    if (std::optional<std::string> chosen = media::takeChosenFile()) {
        openDocumentPath(v, *chosen);
        drawStatusLine(v);
    }
    if (media::dialogRunning()) consumeEvent(v.frame);
}
