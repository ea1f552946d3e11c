#include "review/SignOffDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "review/ReviewWording.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

namespace {

// The role's part of the controls' names: txtPreparedName, txtCheckedDesignation, ...
QString signOffControlPart(review::SignOffRole role) {
    QString key = review::signOffRoleKey(role);
    key[0] = key[0].toUpper();
    return key;
}

}  // namespace

SignOffDialog::SignOffDialog(review::StatementScreen& logic, const std::vector<compare::SignOff>& current,
                             QWidget* parent)
    : QDialog(parent), m_logic(logic), m_signOffs(current) {
    setObjectName("frmSignOff");
    setWindowTitle(review::kSignOffTitle);
    const QFont font = formFont("MS Sans Serif", 10);

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    fields->addWidget(makeLabel(this, "lblName", "Name", {}, font), 0, 1);
    fields->addWidget(makeLabel(this, "lblDesignation", "Designation", {}, font), 0, 2);
    const auto edit = [&](const QString& name, const std::string& text) {
        auto* line = new QLineEdit(QString::fromStdString(text), this);
        line->setObjectName(name);
        line->setFont(font);
        line->setMinimumWidth(twips(3600));
        return line;
    };
    for (std::size_t at = 0; at < review::kSignOffRoles.size() && at < m_signOffs.size(); ++at) {
        const QString part = signOffControlPart(review::kSignOffRoles[at]);
        m_names.push_back(edit("txt" + part + "Name", m_signOffs[at].name));
        m_designations.push_back(edit("txt" + part + "Designation", m_signOffs[at].designation));
        auto* label = makeLabel(this, "lbl" + part, QString::fromStdString(m_signOffs[at].role + ":"), {}, font);
        label->setBuddy(m_names.back());
        const int row = int(at) + 1;
        fields->addWidget(label, row, 0);
        fields->addWidget(m_names.back(), row, 1);
        fields->addWidget(m_designations.back(), row, 2);
    }
    layout->addLayout(fields);

    addOkCancel(this, layout, nullptr, [this] { save(); });
    if (!m_names.empty()) m_names.front()->setFocus();
}

void SignOffDialog::save() {
    for (std::size_t at = 0; at < m_names.size(); ++at) {
        m_signOffs[at].name = m_names[at]->text().toStdString();
        m_signOffs[at].designation = m_designations[at]->text().toStdString();
    }
    if (m_logic.saveSignOffs(m_signOffs)) accept();
}

}  // namespace vesk::gui
