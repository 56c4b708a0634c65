#pragma once

// Creates every window, report holder and the data module exactly once, in
// the fixed start-up order, into their global instances; destroyForms()
// deletes them in reverse order.
void createForms();
void destroyForms();
