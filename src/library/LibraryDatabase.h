#pragma once

#include "library/SongLibrary.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace vok::library {

// The schema version a library written by this build has (PRAGMA user_version).
int SchemaVersion();

// The fault an SQLite error stands for (its primary result code).
LibraryFault FaultOfError(const QSqlError& error);
// The status for a fault, with the sentence the Library window shows.
LibraryStatus StatusOf(LibraryFault fault, const QString& detail = {});

// One thread's connection to the library file, under a name of its own, removed with the object.
// Qt SQL connections belong to the thread that opened them: a connection is used there only.
class LibraryConnection {
  public:
    LibraryConnection(const QString& file, const char* role);
    ~LibraryConnection();
    LibraryConnection(const LibraryConnection&) = delete;
    LibraryConnection& operator=(const LibraryConnection&) = delete;

    // Opens the file, checks that it is a library of a version this build reads, and with
    // `prepare` makes it one (creates or migrates the tables, switches to WAL). The result says
    // why the library cannot be used; Fault None when it can.
    LibraryStatus Open(bool prepare, int busyTimeoutMs);
    QSqlDatabase Database() const;

  private:
    LibraryStatus Check(bool prepare);

    QString name_;
    QString file_;
};

// Runs one statement; false (and the error in `error`) when it fails.
bool Exec(const QSqlDatabase& db, const QString& sql, QSqlError* error = nullptr);

}  // namespace vok::library
