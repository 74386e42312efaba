// A selection wider and taller than 2000 pixels is drawn, moved and erased
// without leaving a trace.
"use strict";

const {test} = require("node:test");
const {reference, useSession} = require("./harness");

const session = useSession();

test("huge selection draws, moves and erases exactly", async () => {
    const viewer = await session().startViewer(2500, 2200);
    const start = await viewer.waitFor(reference(2500, 2200));
    await viewer.drag([100, 100], [2400, 2150]);
    // 2300 x 2050 in 2500 x 2200: area 4149200, height 2036, width 2313.
    await viewer.waitFor(start.withOutline(100, 100, 2413, 2136));

    await viewer.move(500, 500);
    await viewer.press();
    await viewer.move(470, 490);
    await viewer.move(450, 480);
    await viewer.release();
    await viewer.waitFor(start.withOutline(50, 80, 2363, 2116));

    await viewer.key("Escape");
    await viewer.waitFor(start);
});
