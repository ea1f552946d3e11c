#include "widgets/QtPrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>

#include "widgets/SettingsStore.h"

namespace vesk::gui {

namespace {

// A dialog belongs to the window that raised it; while that window has a dialog of its own
// open (the pair dialog whose OK was pressed), it belongs over that dialog: under it, the
// dialog and its window would be blocked behind a message they cannot reach.
QWidget* ownerOf(QWidget* raiser) {
    if (!raiser) return nullptr;
    QWidget* window = raiser->window();
    QWidget* modal = QApplication::activeModalWidget();
    for (QWidget* w = modal; w; w = w->parentWidget())
        if (w == window) return modal;
    return window;
}

// Modal to its own window only, so the program's other windows stay usable; once it closes,
// the keyboard goes back to the window it stood over.
template <typename Dialog>
int runOver(Dialog& dialog, QWidget* owner) {
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    const QPointer<QWidget> back(owner);
    const int result = dialog.exec();
    if (back && back->isVisible()) {
        back->raise();
        back->activateWindow();
    }
    return result;
}

}  // namespace

Answer QtDialogs::message(const Message& m) {
    QWidget* owner = ownerOf(m_parent);
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(m.shownTitle()));
    box.setText(QString::fromStdString(m.text).replace("\r\n", "\n"));
    switch (m.icon) {
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (m.buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        runOver(box, owner);
        return Answer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(m.defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return runOver(box, owner) == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtDialogs::openFile(const OpenFileRequest& request) {
    QString title = request.title.empty() ? QStringLiteral("Open") : QString::fromStdString(request.title);
    // An empty folder would be the working directory, which for a desktop start is the program's.
    const QString folder = request.folder.empty() ? QDir::homePath() : QString::fromStdString(request.folder);
    QWidget* owner = ownerOf(m_parent);
    QFileDialog dialog(owner, title, folder, qtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (runOver(dialog, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    // The system's own separators, as every other path the program shows and keeps.
    return QDir::toNativeSeparators(path).toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const SaveFileRequest& request) {
    QString title = request.title.empty() ? QStringLiteral("Save") : QString::fromStdString(request.title);
    const QString folder = request.folder.empty() ? QDir::homePath() : QString::fromStdString(request.folder);
    const QString offered = QDir(folder).filePath(QString::fromStdString(request.name));
    QWidget* owner = ownerOf(m_parent);
    // The dialog asks before an existing file is chosen.
    QFileDialog dialog(owner, title, folder, qtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(offered);
    if (runOver(dialog, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(path).toStdString();
}

void QtDialogs::openDocument(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

std::optional<Secret> QtDialogs::passphrase(const PassphraseRequest& request) {
    QWidget* owner = ownerOf(m_parent);
    QInputDialog dialog(owner);
    dialog.setObjectName("dlgPassphrase");
    dialog.setWindowTitle("Passphrase");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setLabelText(QString::fromStdString(request.prompt) + ":");
    const bool ok = runOver(dialog, owner) == QDialog::Accepted;
    QByteArray typed = dialog.textValue().toUtf8();
    // What Qt kept of it goes with the dialog; the bytes copied out here are wiped.
    dialog.setTextValue(QString());
    std::optional<Secret> secret;
    if (ok) secret = Secret(typed.constData(), std::size_t(typed.size()));
    typed.fill('\0');
    return secret;
}

FormPrompter::FormPrompter(QWidget* parent) : m_qt(parent), m_dialogs(&m_qt) {}

template <typename Request, typename Ask>
std::optional<std::string> FormPrompter::inLastFolder(const Request& request, Ask ask) {
    if (!m_settings || m_fileKind.isEmpty() || !request.folder.empty()) return ask(request);
    const QString key = "LastFolder/" + m_fileKind;
    Request asked = request;
    // A folder since removed or renamed would leave the dialog somewhere arbitrary.
    const QString last = m_settings->value(key);
    if (!last.isEmpty() && QFileInfo(last).isDir()) asked.folder = last.toStdString();
    auto file = ask(asked);
    if (file && !file->empty())
        m_settings->setValue(key, QDir::toNativeSeparators(QFileInfo(QString::fromStdString(*file)).absolutePath()));
    return file;
}

std::optional<std::string> FormPrompter::openFile(const OpenFileRequest& request) {
    return inLastFolder(request, [this](const OpenFileRequest& r) { return dialogs().openFile(r); });
}

std::optional<std::string> FormPrompter::saveFile(const SaveFileRequest& request) {
    return inLastFolder(request, [this](const SaveFileRequest& r) { return dialogs().saveFile(r); });
}

void FormPrompter::progress(const std::string& text) {
    if (m_label) m_label->setText(QString::fromStdString(text));
    if (Prompter* other = replaced()) other->progress(text);
    QApplication::processEvents();
}

QString qtFileFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString label = parts[i];
        // Qt reads the patterns from the parentheses, so a label's own "(*.xls,*.xlsx)" must go.
        qsizetype paren = label.indexOf('(');
        if (paren > 0) label = label.left(paren).trimmed();
        out << QString("%1 (%2)").arg(label, patterns);
    }
    return out.join(";;");
}

}  // namespace vesk::gui
