#pragma once
#include "app/MenuController.h"

/// The tablet menu: a grid of eleven buttons from its interface file, one per "onShow…" action, and below it
/// the bench tools' buttons under their own heading.
class VelkaroViewControllerIPad : public MenuController {
public:
    explicit VelkaroViewControllerIPad(std::string nibName = "VelkaroViewControllerIPad")
        : MenuController(std::move(nibName), true) {}
};
