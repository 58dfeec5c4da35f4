#pragma once

// The "OK" (default, accepts) and "Cancel" (rejects) row that closes the small dialogs.

class QDialog;
class QDialogButtonBox;
class QPushButton;

QDialogButtonBox* AddOkCancel(QDialog& dialog, QPushButton*& ok, QPushButton*& cancel);
