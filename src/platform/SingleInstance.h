#pragma once
// The single-instance guard: the first start of the program listens on a local socket named
// after the program file (and the user); a second start finds it, asks the first to raise its
// window, and ends. Its command-line arguments are not passed on.

#include <QObject>
#include <QString>

class QLocalServer;

namespace tf {

class TSingleInstance final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSingleInstance)

 public:
  // name: the program file's name without its folder.
  explicit TSingleInstance(const QString& name, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when this is the first instance (it now holds the guard). False when another runs:
  // it has been asked to raise its window.
  bool Claim();
  QString ServerName() const { return serverName_; }

 Q_SIGNALS:
  // Another start asked this instance to show itself.
  void RaiseRequested();

 private:
  QString serverName_;
  QLocalServer* server_ = nullptr;
};

}  // namespace tf
