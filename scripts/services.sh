#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts what the tests talk to: a CUPS daemon with the test queue "qvtest"
# (backed by cups-pdf, which writes PDF files to $QV_CUPS_PDF_DIR) and an
# Xvfb display :99. Safe to run again: it starts only what is not running.
set -uo pipefail
export QV_CUPS_PDF_DIR=${QV_CUPS_PDF_DIR:-/var/spool/cups-pdf-qv}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if command -v cupsd >/dev/null 2>&1; then
  $SUDO mkdir -p "$QV_CUPS_PDF_DIR"
  $SUDO chmod 1777 "$QV_CUPS_PDF_DIR"
  # Every job lands directly in one folder, whatever the user.
  if ! grep -q "^Out $QV_CUPS_PDF_DIR\$" /etc/cups/cups-pdf.conf 2>/dev/null; then
    $SUDO sed -i -e '/^Out /d' -e '/^AnonDirName /d' /etc/cups/cups-pdf.conf
    printf 'Out %s\nAnonDirName %s\n' "$QV_CUPS_PDF_DIR" "$QV_CUPS_PDF_DIR" | $SUDO tee -a /etc/cups/cups-pdf.conf >/dev/null
  fi
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    $SUDO cupsd
    for _ in $(seq 1 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.2; done
  fi
  if ! lpstat -p qvtest >/dev/null 2>&1; then
    ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n 1)
    $SUDO lpadmin -p qvtest -E -v cups-pdf:/ -P "$ppd"
    $SUDO cupsenable qvtest
    $SUDO cupsaccept qvtest
  fi
  # cups-pdf re-renders every job through PostScript; with pdftocairo the text
  # stays extractable (pdftotext), where the default renderer turns it into
  # Type 3 glyphs without a usable mapping.
  $SUDO lpadmin -p qvtest -o pdftops-renderer-default=pdftocairo
  lpstat -r
fi

xvfb_answers() { xdpyinfo -display :99 >/dev/null 2>&1; }
if command -v Xvfb >/dev/null 2>&1 && ! xvfb_answers; then
  # A socket left behind by a server that is gone would stop Xvfb starting.
  # -noreset: without it the server resets whenever its last client leaves,
  # and a client connecting during the reset is turned away.
  rm -f /tmp/.X11-unix/X99 /tmp/.X99-lock
  Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp -noreset >/tmp/qv-xvfb.log 2>&1 &
  for _ in $(seq 1 100); do xvfb_answers && break; sleep 0.1; done
fi
if xvfb_answers; then
  echo "Xvfb display :99 ready"
else
  # The window test starts an Xvfb of its own when this one is missing.
  echo "Xvfb display :99 missing"
  cat /tmp/qv-xvfb.log 2>/dev/null || true
fi
