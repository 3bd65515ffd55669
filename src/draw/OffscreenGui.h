// Drawing text needs a Qt application object; without a display the command line makes one on
// the offscreen platform.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace tlx::draw {

// A new offscreen application when none exists yet; empty when one is already running.
std::unique_ptr<QGuiApplication> EnsureGuiApplication();

}  // namespace tlx::draw
