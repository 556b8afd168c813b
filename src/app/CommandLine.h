#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vok {

// "Kestrovane Vokalento <version>".
QString VersionText();
// What --help prints: the parameters the player takes.
QString UsageText(const QString& programName);

// The answer to --version or --help (or -h) among the parameters, printed before the player
// starts, so it works while another player runs; nullopt when the player should start. Anything
// else is a file or a switch for the player itself.
std::optional<QString> EarlyAnswer(const QStringList& parameters, const QString& programName);

}  // namespace vok
