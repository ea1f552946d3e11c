#include "notes/NoteDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "notes/NoteWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

NoteDialog::NoteDialog(const std::string& databasePath, Prompter& prompter, const notes::RowRef& row,
                       const std::optional<notes::Note>& current, QWidget* parent)
    : QDialog(parent), m_logic(databasePath, prompter, row, current) {
    setObjectName("frmNote");
    setWindowTitle(QString::fromStdString(m_logic.heading()));
    const QFont font = formFont("MS Sans Serif", 10);

    auto* layout = new QVBoxLayout(this);
    auto* heading = makeLabel(this, "lblHeading", QString::fromStdString(m_logic.heading()), {},
                              formFont("Lucida Bright", 11, true));
    layout->addWidget(heading);

    auto* fields = new QFormLayout;
    m_status = new QComboBox(this);
    m_status->setObjectName("cboStatus");
    m_status->setFont(font);
    for (notes::Status s : notes::kStatuses) m_status->addItem(notes::statusText(s));
    m_status->setCurrentIndex(int(m_logic.status()));
    m_text = new QLineEdit(QString::fromStdString(m_logic.text()), this);
    m_text->setObjectName("txtNote");
    m_text->setFont(font);
    m_text->setMinimumWidth(twips(6000));
    auto* statusLabel = makeLabel(this, "lblStatus", "&Status:", {}, font);
    statusLabel->setBuddy(m_status);
    auto* textLabel = makeLabel(this, "lblNote", "&Text:", {}, font);
    textLabel->setBuddy(m_text);
    fields->addRow(statusLabel, m_status);
    fields->addRow(textLabel, m_text);
    layout->addLayout(fields);

    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* ok = makeButton(this, "cmdOK", "&OK", twipsRect(0, 0, 1455, 495), buttonFont);
    ok->setFixedSize(ok->size());
    auto* cancel = makeButton(this, "cmdCancel", "&Cancel", twipsRect(0, 0, 1455, 495), buttonFont);
    cancel->setFixedSize(cancel->size());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addSpacing(12);
    buttons->addWidget(cancel);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &NoteDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The text box keeps its Enter from the window's keys: it is OK here too.
    connect(m_text, &QLineEdit::returnPressed, this, &NoteDialog::save);
    useKeyboard(this, ok, cancel);
    m_text->setFocus();
}

void NoteDialog::save() {
    m_saved = m_logic.save(notes::kStatuses[std::size_t(m_status->currentIndex())], m_text->text().toStdString());
    if (m_saved) accept();
}

}  // namespace vesk::gui
