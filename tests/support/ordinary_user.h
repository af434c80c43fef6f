// SPDX-License-Identifier: GPL-3.0-or-later
// File permissions as an ordinary user meets them, also when the tests run as
// root (as CI does): root without the capability that overrides them.
#pragma once

#include <functional>

// The exit status of a child that could not give up the override.
inline constexpr int kCannotDropPrivilege = 77;

// Gives up root's permission override in this process; true when done or not root.
bool DropPermissionOverride();

// Runs body in a child process and returns its result; an exception escaping
// body ends the child with status 99. For process-wide limits a test must not
// set on itself.
int RunInChild(const std::function<int()>& body);

// RunInChild without the override; kCannotDropPrivilege when it cannot be given up.
int RunAsOrdinaryUser(const std::function<int()>& body);
