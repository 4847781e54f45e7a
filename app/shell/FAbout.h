#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QGroupBox;

// The About box: product name and version, the maker's notice, a picture and a link to the
// maker's web site. OK and Esc hide it.
class FAbout final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FAbout)

public:
    explicit FAbout(QWidget* parent = nullptr);

    static QString nameText();
    static QString homePage();
    static QString betaTesterPage();

    QLabel* lblName() const { return m_lblName; }
    QLabel* Image1() const { return m_image1; }
    QLabel* lblVisitBRVSoft() const { return m_lblVisitBRVSoft; }
    QPushButton* cmdOK() const { return m_cmdOK; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();

    QGroupBox* m_frame1;
    QLabel* m_lblName;
    QLabel* m_image1;
    QLabel* m_lblVisitBRVSoft;
    QPushButton* m_cmdOK;
};
