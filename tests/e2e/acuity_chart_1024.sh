# The acuity test from the menu at 1024 x 768 x 24, a 320 x 240 mm screen: the chart, a redraw, and back.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
run_chart_test 1024 768 24 320 240
