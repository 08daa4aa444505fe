#pragma once
// The length-unit dialog: metres, feet or miles.

#include <QDialog>
#include <functional>

class QRadioButton;

namespace fv {

class CQUARLODoc;

class CLengthUnit : public QDialog {
    Q_OBJECT
public:
    explicit CLengthUnit(int unit, QWidget* parent = nullptr);
    int unit() const;

private:
    QRadioButton* buttons_[3];
};

// Command 32803: on OK stores and writes the unit; either way every view rebuilds its
// texts (hint 3006). `ask` shows the dialog and returns the unit or -1 for Cancel; tests
// pass their own.
void chooseLengthUnit(CQUARLODoc& doc, const std::function<int(int current)>& ask);
int askLengthUnit(int current, QWidget* parent);

}  // namespace fv
