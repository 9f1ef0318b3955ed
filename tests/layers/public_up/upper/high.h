// SPDX-License-Identifier: MIT
// upper layer
