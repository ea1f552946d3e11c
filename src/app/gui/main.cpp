#include <QApplication>
#include <QIcon>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "backup/DailyBackups.h"
#include "backup/PassphraseFlows.h"
#include "core/Platform.h"
#include "core/Version.h"
#include "store/DatabaseLocation.h"
#include "store/Passphrase.h"
#include "widgets/PdfForParent.h"
#include "widgets/QtPrompter.h"
#include "widgets/SettingsStore.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // A name fit for file paths. No display name: the platform would append it to every
    // window's title, and each title bar reads its form's own title only; the desktop entry
    // names the program.
    QApplication::setApplicationName("vesk-orv");
    QApplication::setApplicationVersion(vesk::kVersion);
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("vesk-orv");
    QApplication::setWindowIcon(QIcon::fromTheme("vesk-orv"));

    // The command line prints through this program: no window then, and no database.
    if (const std::vector<std::string> args = vesk::platform::arguments(argc, argv);
        args.size() == 3 && args[1] == "--print-pdf")
        return vesk::gui::writePdfForParent(args[2]);

    vesk::store::setBeforeWrite(vesk::backup::dailyBackupHook());
    const std::string databasePath = vesk::store::databasePath();
    // A file with a passphrase is opened with it or not at all: asked before any form opens it.
    vesk::gui::QtDialogs dialogs(nullptr);
    if (!vesk::backup::unlockDatabase(dialogs, databasePath)) return 1;
    // Any other file with one (a backup to restore) is asked for as it is opened.
    vesk::store::setPassphraseSource(vesk::backup::askingPassphrases(dialogs));
    vesk::gui::UserSettings settings;
    vesk::gui::FormSet forms(databasePath, &settings);
    // Exit ends the program at once, whatever else is loaded.
    QObject::connect(&forms, &vesk::gui::FormSet::exitRequested, &app, [] { QApplication::exit(0); });
    forms.start();
    return QApplication::exec();
}
