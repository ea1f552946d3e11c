#include "compare/PairDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
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

    addOkCancel(this, layout, m_text, [this] { pair(); });
    m_text->setFocus();
}

void PairDialog::pair() {
    m_made = m_logic.pair(m_draft, m_text->text().toStdString(), m_accept->isChecked());
    if (m_made) accept();
}

}  // namespace vesk::gui
