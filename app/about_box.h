#pragma once

class QWidget;

// "About Fotolark": the program's name, what it is for and its version, over the main window.
void ShowAboutBox(QWidget* parent);
