// SPDX-License-Identifier: MIT
// nothing
