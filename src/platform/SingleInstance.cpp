#include "platform/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace tf {

namespace {
const char RaiseMessage[] = "raise\n";
}

TSingleInstance::TSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), serverName_(name + QStringLiteral("-") + QString::number(::getuid())) {}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
}

bool TSingleInstance::Claim() {
  if (server_) return true;
  QLocalSocket probe;
  probe.connectToServer(serverName_);
  if (probe.waitForConnected(500)) {
    probe.write(RaiseMessage);
    probe.waitForBytesWritten(500);
    probe.disconnectFromServer();
    return false;
  }
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(serverName_)) {
    // A socket left behind by an instance that died: nobody answered, so take it over.
    QLocalServer::removeServer(serverName_);
    if (!server->listen(serverName_)) {
      delete server;
      return true;  // no guard possible; run anyway rather than not at all
    }
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
      connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (client->readAll().startsWith("raise")) Q_EMIT RaiseRequested();
        client->disconnectFromServer();
      });
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    }
  });
  return true;
}

}  // namespace tf
