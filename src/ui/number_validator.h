#pragma once
// Input of number-only edits: digits (a leading '-' when negative numbers are allowed),
// nothing that can only grow past the maximum; leaving the edit clamps into the range.

#include <QValidator>

namespace dz::ui {

class NumberValidator : public QValidator {
  public:
    NumberValidator(qlonglong min, qlonglong max, QObject* parent);
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  private:
    qlonglong min_;
    qlonglong max_;
};

}  // namespace dz::ui
