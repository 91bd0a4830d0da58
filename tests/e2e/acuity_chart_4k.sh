# The acuity test from the menu on a 3840 x 2160 screen of 520 x 293 mm (7.38 pixels per millimetre: row 1 is over 299 pixels): the chart, a redraw, and back.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
run_chart_test 3840 2160 24 520 293
