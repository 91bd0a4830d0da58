# A fractional scale factor: 1920 x 1080 device pixels at QT_SCALE_FACTOR=1.5
# (1280 x 720 screen pixels, one and a half device pixels each), entered as
# 480 x 270 mm. The letters are exact in device pixels and the labels and
# the red line stand where the layout puts them, as at scale 1 and 2.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

export QT_SCALE_FACTOR=1.5
run_chart_test 1920 1080 24 480 270
