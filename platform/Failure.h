#pragma once
// How the layers below the shell fail. An operation that can fail in the ordinary course
// (a file that does not decode, a disk that refuses a write) returns a TResult: its value,
// or a TFailure with the messages the user is to read, one box each, in order. What a layer
// cannot handle where it happens is thrown as EOrbelleError, carrying the text the user is
// shown. The shell decides what the user sees; whatever reaches the message loop is shown in
// a message box and the program goes on.
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <utility>

#include "platform/Outward.h"

namespace orb {

class EOrbelleError : public std::runtime_error {
public:
    explicit EOrbelleError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

// One message about a failure: its text, the caption of its box and the kind of box. Tag,
// when not 0, is the text's id in the language file: the shell shows the active language's
// text and falls back on Text.
struct TFailureNote {
    QString Text;
    QString Caption;
    MessageKind Kind = MessageKind::Error;
    int Tag = 0;
    bool operator==(const TFailureNote&) const = default;
};

// What went wrong, as the user is to be told it. A default one: nothing went wrong. A failure
// may carry no note at all: it passes without a message (Silent()).
class TFailure {
public:
    TFailure() = default;
    TFailure(QString text, QString caption, MessageKind kind, int tag = 0) {
        Add(std::move(text), std::move(caption), kind, tag);
    }
    static TFailure Silent() {
        TFailure f;
        f.failed_ = true;
        return f;
    }

    TFailure& Add(QString text, QString caption, MessageKind kind, int tag = 0) {
        notes_.append({std::move(text), std::move(caption), kind, tag});
        failed_ = true;
        return *this;
    }
    TFailure& Add(const TFailure& more) {
        notes_ += more.notes_;
        failed_ = failed_ || more.failed_;
        return *this;
    }
    bool Failed() const { return failed_; }
    const QList<TFailureNote>& Notes() const { return notes_; }
    // The texts, one per line.
    QString Text() const {
        QStringList lines;
        for (const TFailureNote& n : notes_) lines << n.Text;
        return lines.join('\n');
    }

private:
    QList<TFailureNote> notes_;
    bool failed_ = false;
};

// A value, or the failure that kept it from being made. A failure may come with what was
// made before it went wrong (a picture decoded in part): Partial() gives it.
template <typename T>
class [[nodiscard]] TResult {
public:
    TResult(T value) : value_(std::move(value)) {}
    TResult(TFailure failure, T partial = T())
        : value_(std::move(partial)), failure_(std::move(failure)) {}

    bool Ok() const { return !failure_.Failed(); }
    explicit operator bool() const { return Ok(); }
    // The value; a failed result throws its failure's text.
    const T& Value() const {
        if (!Ok()) throw EOrbelleError(failure_.Text());
        return value_;
    }
    // The value, or what was made before the failure (may be empty).
    const T& Partial() const { return value_; }
    const TFailure& Failure() const { return failure_; }

private:
    T value_;
    TFailure failure_;
};

// The result of an operation that makes nothing.
template <>
class [[nodiscard]] TResult<void> {
public:
    TResult() = default;
    TResult(TFailure failure) : failure_(std::move(failure)) {}
    bool Ok() const { return !failure_.Failed(); }
    explicit operator bool() const { return Ok(); }
    const TFailure& Failure() const { return failure_; }

private:
    TFailure failure_;
};
using TOutcome = TResult<void>;

}  // namespace orb
