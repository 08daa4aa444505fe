#include "app/LengthUnit.h"

#include "document/CQUARLODoc.h"
#include "document/Settings.h"
#include "document/TextTable.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fv {

CLengthUnit::CLengthUnit(int unit, QWidget* parent) : QDialog(parent) {
    setObjectName("209");
    setWindowTitle(QString::fromUtf8(textOf(112)));
    auto* group = new QGroupBox(QString::fromUtf8(textOf(112)), this);
    group->setObjectName("1088");
    auto* inner = new QHBoxLayout(group);
    auto* exclusive = new QButtonGroup(this);
    const int ids[3] = {1085, 1086, 1087};
    for (int i = 0; i < 3; ++i) {
        buttons_[i] = new QRadioButton(QString::fromUtf8(textOf(113 + i)), group);
        buttons_[i]->setObjectName(QString::number(ids[i]));
        exclusive->addButton(buttons_[i], i);
        inner->addWidget(buttons_[i]);
    }
    // Units outside 0..2 are shown as metres, as everywhere else.
    buttons_[unit == 1 || unit == 2 ? unit : 0]->setChecked(true);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(textOf(73)));
    box->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8(textOf(74)));
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(box);
}

int CLengthUnit::unit() const {
    for (int i = 0; i < 3; ++i)
        if (buttons_[i]->isChecked()) return i;
    return 0;
}

int askLengthUnit(int current, QWidget* parent) {
    CLengthUnit dlg(current, parent);
    return dlg.exec() == QDialog::Accepted ? dlg.unit() : -1;
}

void chooseLengthUnit(CQUARLODoc& doc, const std::function<int(int)>& ask) {
    const int chosen = ask(doc.lengthUnit);
    if (chosen >= 0) {
        doc.lengthUnit = chosen;
        writeLengthUnit(chosen);
    }
    doc.updateAllViews(nullptr, kHintLengthUnit);
}

}  // namespace fv
