// SPDX-License-Identifier: GPL-3.0-or-later
// The message box window: Escape and the close box answer as the platform's boxes do.
#pragma once

#include <QMessageBox>

class AfxMessageBoxWindow : public QMessageBox {
  public:
    explicit AfxMessageBoxWindow(QWidget* parent);

    // Escape/close: Cancel if there is one, OK if it is the only button, else no button.
    void escape();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool m_escaping = false;
};
