#pragma once
// The one way a layer reports a failure it cannot handle where it happens: EOrbelleError,
// carrying the text the user is shown. Whatever reaches the message loop is shown in a message
// box and the program goes on.
#include <QString>
#include <stdexcept>

namespace orb {

class EOrbelleError : public std::runtime_error {
public:
    explicit EOrbelleError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

}  // namespace orb
