#include "notes/NoteDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "notes/NoteWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

NoteDialog::NoteDialog(const std::string& databasePath, Prompter& prompter, const notes::RowRef& row,
                       const std::optional<notes::Note>& current, const std::string& details, QWidget* parent)
    : QDialog(parent), m_logic(databasePath, prompter, row, current, details) {
    setObjectName("frmNote");
    setWindowTitle(QString::fromStdString(m_logic.heading()));
    const QFont font = formFont("MS Sans Serif", 10);

    auto* layout = new QVBoxLayout(this);
    auto* heading = makeLabel(this, "lblHeading", QString::fromStdString(m_logic.heading()), {},
                              formFont("Lucida Bright", 11, true));
    layout->addWidget(heading);
    if (!m_logic.details().empty())
        layout->addWidget(makeLabel(this, "lblRow", partsLine(m_logic.details()), {}, font));

    auto* fields = new QFormLayout;
    m_status = new QComboBox(this);
    m_status->setObjectName("cboStatus");
    m_status->setFont(font);
    for (notes::Status s : notes::kStatuses) m_status->addItem(notes::statusText(s));
    m_status->setCurrentIndex(int(m_logic.status()));
    m_text = new QLineEdit(QString::fromStdString(m_logic.text()), this);
    m_text->setObjectName("txtNote");
    m_text->setFont(font);
    m_text->setMinimumWidth(twips(7500));
    auto* statusLabel = makeLabel(this, "lblStatus", "&Status:", {}, font);
    statusLabel->setBuddy(m_status);
    auto* textLabel = makeLabel(this, "lblNote", "&Text:", {}, font);
    textLabel->setBuddy(m_text);
    fields->addRow(statusLabel, m_status);
    fields->addRow(textLabel, m_text);
    layout->addLayout(fields);

    addOkCancel(this, layout, m_text, [this] { save(); });
    m_text->setFocus();
}

void NoteDialog::save() {
    m_saved = m_logic.save(notes::kStatuses[std::size_t(m_status->currentIndex())], m_text->text().toStdString());
    if (m_saved) accept();
}

}  // namespace vesk::gui
