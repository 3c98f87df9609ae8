#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

class QUrl;

// A picture that serves as a button: it shifts right and down while a mouse
// button is held, can show an alternate picture instead of its own, carries a
// free text `Code` for its owner, and opens its `Path` on every press.
class IBtn : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint8 MoveDown READ moveDown WRITE setMoveDown)
    Q_PROPERTY(quint8 MoveRight READ moveRight WRITE setMoveRight)
    Q_PROPERTY(QString Path READ path WRITE setPath)
    Q_PROPERTY(bool IsEnable READ isEnable WRITE setIsEnable)
    Q_PROPERTY(QPixmap DisablePic READ disablePic WRITE setDisablePic)
    Q_PROPERTY(QString Code READ code WRITE setCode)
    Q_PROPERTY(QPixmap Picture READ picture WRITE setPicture)

public:
    // The cursor number every button starts with; unregistered, it is the arrow.
    static constexpr int defaultCursorNumber = 31;

    using Opener = std::function<void(const QUrl &url)>;
    using ErrorHandler = std::function<void(const QString &message)>;

    explicit IBtn(QWidget *parent = nullptr);

    quint8 moveDown() const { return m_moveDown; }
    void setMoveDown(quint8 pixels) { m_moveDown = pixels; }
    quint8 moveRight() const { return m_moveRight; }
    void setMoveRight(quint8 pixels) { m_moveRight = pixels; }
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    QString code() const { return m_code; }
    void setCode(const QString &code) { m_code = code; }

    bool isEnable() const { return m_isEnable; }
    // Swaps the looks without comparing with the current value: false saves the
    // shown picture and shows the alternate one, true shows the saved picture.
    void setIsEnable(bool enable);

    const QPixmap &disablePic() const { return m_disablePic; }
    // The button keeps its own copy; later changes to `picture` do not reach it.
    void setDisablePic(const QPixmap &picture);

    const QPixmap &picture() const { return m_picture; }
    // Drawn at its natural size from the top-left corner, clipped to the button.
    void setPicture(const QPixmap &picture);

    int cursorNumber() const { return m_cursorNumber; }
    void setCursorNumber(int number);

    // How a press opens `Path`; an empty function restores the desktop's "open".
    static void setOpener(Opener opener);
    // Where a press reports a failed change of folder: the program shows it as
    // a notice. Without a handler (an empty function) it goes to the log.
    static void setErrorHandler(ErrorHandler handler);

signals:
    // The owner's hooks: pressed fires before the shift, released before the
    // shift back; clicked only for a left release inside the shifted button.
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &position);
    void clicked();
    void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void openPath();

    quint8 m_moveDown = 1;
    quint8 m_moveRight = 1;
    QString m_path;
    bool m_isEnable = true;
    QPixmap m_disablePic;
    QString m_code;
    QPixmap m_picture;
    QPixmap m_saved;
    int m_cursorNumber = defaultCursorNumber;
};
