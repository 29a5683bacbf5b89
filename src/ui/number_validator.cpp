#include "ui/number_validator.h"

#include <algorithm>

namespace dz::ui {

NumberValidator::NumberValidator(qlonglong min, qlonglong max, QObject* parent)
    : QValidator(parent), min_(std::min(min, max)), max_(std::max(min, max)) {}

QValidator::State NumberValidator::validate(QString& input, int&) const {
    if (input.isEmpty()) return Intermediate;
    const bool negative = input.startsWith(QLatin1Char('-'));
    if (negative && min_ >= 0) return Invalid;
    const QStringView digits = QStringView(input).mid(negative ? 1 : 0);
    if (digits.isEmpty()) return Intermediate;
    for (QChar c : digits) {
        if (!c.isDigit() || c.unicode() > '9') return Invalid;
    }
    if (digits.size() > 18) return Invalid;
    const qlonglong v = input.toLongLong();
    // More digits only move a number away from zero, so past the bound it stays past.
    if (v > max_ && !negative) return Invalid;
    if (v < min_ && negative) return Invalid;
    if (v < min_ || v > max_) return Intermediate;
    return Acceptable;
}

void NumberValidator::fixup(QString& input) const {
    bool ok = false;
    const qlonglong v = input.toLongLong(&ok);
    input = QString::number(ok ? std::clamp(v, min_, max_) : std::clamp<qlonglong>(0, min_, max_));
}

}  // namespace dz::ui
