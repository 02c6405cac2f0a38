#pragma once
// A tiny HTTP server on 127.0.0.1 (an ephemeral port) for the installer download: it answers
// every request in one of a few ways and records what it was asked.

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <map>
#include <utility>

class LocalHttpServer : public QObject {
 public:
  enum class Mode {
    Complete,    // 200 with the whole body
    NotFound,    // 404
    CloseEarly,  // 200 announcing twice the body, then closing after the body
    Stall,       // 200 announcing a large body, sending a first part, then nothing
  };

  explicit LocalHttpServer(Mode mode, QByteArray body = QByteArray(4096, 'k'))
      : mode_(mode), body_(std::move(body)) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
      }
    });
  }

  QString url(const QString& path) const {
    return QString("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
  }

  QByteArray request;  // the last request's head
  int requests = 0;

 private:
  void read(QTcpSocket* socket) {
    QByteArray& head = heads_[socket];
    head += socket->readAll();
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool()) return;
    socket->setProperty("answered", true);
    request = head;
    ++requests;
    const auto answer = [socket](const QByteArray& status, qint64 length, const QByteArray& body) {
      socket->write("HTTP/1.0 " + status + "\r\nContent-Type: application/octet-stream\r\n" +
                    "Content-Length: " + QByteArray::number(length) + "\r\n\r\n" + body);
    };
    switch (mode_) {
      case Mode::Complete:
        answer("200 OK", body_.size(), body_);
        socket->disconnectFromHost();
        break;
      case Mode::NotFound:
        answer("404 Not Found", 9, "not found");
        socket->disconnectFromHost();
        break;
      case Mode::CloseEarly:
        answer("200 OK", 2 * body_.size(), body_);
        socket->disconnectFromHost();
        break;
      case Mode::Stall:
        answer("200 OK", 100 * 1000 * 1000, body_);
        break;
    }
  }

  Mode mode_;
  QByteArray body_;
  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> heads_;
};
