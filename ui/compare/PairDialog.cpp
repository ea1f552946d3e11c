#include "compare/PairDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/FormStyle.h"

namespace vesk::gui {

PairDialog::PairDialog(compare::ExplainScreen& logic, compare::PairDraft draft, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_draft(std::move(draft)) {
    setObjectName("frmPair");
    setWindowTitle("Pair by Hand");
    const QFont font = formFont("MS Sans Serif", 10);

    auto* layout = new QVBoxLayout(this);
    const std::vector<std::string> sums = m_draft.sumsLines();
    const char* names[] = {"lblBankSum", "lblOrvSum", "lblDifference"};
    for (std::size_t i = 0; i < sums.size() && i < std::size(names); ++i)
        layout->addWidget(makeLabel(this, names[i], QString::fromStdString(sums[i]), {}, font));

    auto* fields = new QFormLayout;
    m_text = new QLineEdit(QString::fromStdString(m_draft.text), this);
    m_text->setObjectName("txtPair");
    m_text->setFont(font);
    m_text->setMinimumWidth(twips(6000));
    auto* textLabel = makeLabel(this, "lblPairText", "&Text:", {}, font);
    textLabel->setBuddy(m_text);
    fields->addRow(textLabel, m_text);
    layout->addLayout(fields);
    m_accept = new QCheckBox("&Accept the difference", this);
    m_accept->setObjectName("chkAccept");
    m_accept->setFont(font);
    m_accept->setEnabled(m_draft.sumsDiffer());  // nothing to accept when the sums agree
    layout->addWidget(m_accept);

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

    connect(ok, &QPushButton::clicked, this, &PairDialog::pair);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_text, &QLineEdit::returnPressed, this, &PairDialog::pair);
    useKeyboard(this, ok, cancel);
    m_text->setFocus();
}

void PairDialog::pair() {
    m_made = m_logic.pair(m_draft, m_text->text().toStdString(), m_accept->isChecked());
    if (m_made) accept();
}

}  // namespace vesk::gui
