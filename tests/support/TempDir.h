#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace vok::test {

// A temporary folder that is removed with the object, with helpers to lay out fixtures in it.
class TempDir {
  public:
    TempDir();

    QString Path() const { return dir_.path(); }
    // Absolute path of a relative name inside the folder.
    QString FilePath(const QString& relative) const;
    // Writes bytes to a relative path, creating parent folders; returns the absolute path.
    QString Write(const QString& relative, const QByteArray& bytes) const;
    // Creates a folder (and its parents); returns the absolute path.
    QString MakeDir(const QString& relative) const;

  private:
    QTemporaryDir dir_;
};

// Reads a whole file; empty when it cannot be read.
QByteArray ReadAll(const QString& path);

}  // namespace vok::test
