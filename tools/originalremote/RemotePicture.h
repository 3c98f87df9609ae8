#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "OriginalKeys.h"

// The picture of the original remote, drawn key by key; a click on a key
// presses it.
class RemotePicture : public QWidget
{
    Q_OBJECT

public:
    explicit RemotePicture(QWidget *parent = nullptr);

    // The maker's name printed on the body.
    void setBrand(const QString &brand);
    QSize sizeHint() const override;

signals:
    void keyPressed(OriginalKey key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_brand;
    std::optional<OriginalKey> m_held;
};
