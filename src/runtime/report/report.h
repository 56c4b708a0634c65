#pragma once

// The report engine in one include: layouts, pagination, painting, preview.
#include "runtime/report/document.h"
#include "runtime/report/fonts.h"
#include "runtime/report/layout.h"
#include "runtime/report/page.h"
#include "runtime/report/paginate.h"
#include "runtime/report/pageview.h"
#include "runtime/report/paint.h"
#include "runtime/report/preview.h"
