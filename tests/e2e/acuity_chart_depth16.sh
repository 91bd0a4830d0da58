# The acuity test from the menu at depth 16: the chart, a redraw, and back.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
run_chart_test 1024 768 16 320 240
