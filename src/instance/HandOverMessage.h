#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace vok {

// Receives one parameter at a time (ProcessOwnParameters, ReceiveParameters).
using ParameterSink = std::function<void(const QString&)>;

// The largest hand-over frame accepted, length prefix included. A command line is far smaller;
// anything bigger is a mistake or an attack and is dropped before it is buffered.
inline constexpr qsizetype kMaxHandOverBytes = 1024 * 1024;

// What a second start sends: its parameter count and the text built from its parameters.
struct HandOver {
    std::uint32_t Count = 0;
    QString Text;
};

// One parameter: the parameter itself. Several: each one followed by CR LF, the last included.
QString BuildParameterText(const QStringList& parameters);

// The frame on the wire, all numbers little-endian:
//   u32 length of what follows | u32 parameter count | UTF-16LE text | u16 zero
QByteArray EncodeHandOver(const HandOver& message);
QByteArray EncodeHandOver(const QStringList& parameters);

struct HandOverDecode {
    enum class Status {
        Incomplete,  // more bytes are needed
        Complete,
        Malformed,
        TooLarge,  // the length prefix announces more than the cap; known after 4 bytes
    };
    Status status = Status::Incomplete;
    HandOver message;
    // Why a frame is malformed, for the log.
    QString error;
};

// Decodes the one frame a connection carries from everything received so far. Bytes after the
// frame make it malformed: a sender sends exactly one.
HandOverDecode DecodeHandOver(QByteArrayView received, qsizetype maxBytes = kMaxHandOverBytes);

// The parameters a hand-over carries: with a count of 1 the whole text; otherwise its lines, a
// line ending at CR, LF or CR LF, a line end at the very end giving no extra empty line.
QStringList HandedParameters(const HandOver& message);

// Gives each handed-over parameter to `onParameter`, in order.
void ReceiveParameters(const HandOver& message, const ParameterSink& onParameter);

// Gives each of the process's own parameters (not its path) to `onParameter`, in order.
void ProcessOwnParameters(const ParameterSink& onParameter);

// The running player has another working folder: relative names are made absolute against the
// sender's. Absolute names and switches such as /AUTOQUIT stay as they are.
QStringList ResolveParameters(const QStringList& parameters, const QString& workingFolder);

// The receiver's answer once the parameters were taken up: u32 0.
QByteArray HandOverReply();

}  // namespace vok
