// The page side of the viewer: the canvas in device pixels, and the pointer,
// keys and size changes posted to the program as events (app.cpp).
Module.webStartPage = function () {
    const kPointerMove = 0;
    const kLeftButtonDown = 1;
    const kLeftButtonUp = 2;
    const kRightButtonDown = 3;
    const kCharacter = 4;
    const kCanvasResize = 5;
    const kEscapeChar = 27;

    const canvas = document.getElementById("canvas");
    Module.webCanvas = canvas;
    Module.webContext = canvas.getContext("2d");
    Module.webPointerId = -1;

    const post = (kind, a, b, c) => Module._PostPageEvent(kind, a, b, c);

    // The buttons as a mouse message's wParam: left 1, right 2, middle 0x10.
    const buttonBits = (buttons) =>
        ((buttons & 1) !== 0 ? 0x1 : 0) | ((buttons & 2) !== 0 ? 0x2 : 0) |
        ((buttons & 4) !== 0 ? 0x10 : 0);

    // CSS pixels to the canvas's device pixels, rounded down as the screen's
    // pixel grid does.
    const postPointer = (kind, event) => {
        const box = canvas.getBoundingClientRect();
        const scaleX = box.width > 0 ? canvas.width / box.width : 1;
        const scaleY = box.height > 0 ? canvas.height / box.height : 1;
        const x = Math.floor((event.clientX - box.left) * scaleX);
        const y = Math.floor((event.clientY - box.top) * scaleY);
        Module.webPointerId = event.pointerId;
        post(kind, x, y, buttonBits(event.buttons));
    };

    // A pointer event reports a press only for the first button held and a
    // release only for the last; the others come as moves that name a button.
    const postButton = (event) => {
        if (event.button === 0) {
            postPointer((event.buttons & 1) !== 0 ? kLeftButtonDown : kLeftButtonUp, event);
        } else if (event.button === 2 && (event.buttons & 2) !== 0) {
            postPointer(kRightButtonDown, event);
        }
    };
    canvas.addEventListener("pointerdown", postButton);
    canvas.addEventListener("pointerup", postButton);
    canvas.addEventListener("pointermove", (event) => {
        if (event.button === -1) {
            postPointer(kPointerMove, event);
        } else {
            postButton(event);
        }
    });
    canvas.addEventListener("contextmenu", (event) => event.preventDefault());

    // Esc and the characters of keys; with Ctrl, Alt or Meta a key belongs to
    // the browser.
    window.addEventListener("keydown", (event) => {
        if (event.ctrlKey || event.altKey || event.metaKey) {
            return;
        }
        if (event.key === "Escape") {
            post(kCharacter, kEscapeChar, 0, 0);
        } else if ([...event.key].length === 1) {
            post(kCharacter, event.key.codePointAt(0), 0, 0);
        }
    });

    // The canvas's size in device pixels: the CSS size times the pixel ratio,
    // or the browser's own count of the pixels where it gives one that agrees
    // (it knows how the box snaps to them). Chromium under an emulated pixel
    // ratio reports CSS pixels there, so a count that disagrees is left alone.
    const devicePixels = (css, counted) => {
        const scaled = Math.round(css * window.devicePixelRatio);
        return counted !== undefined && Math.abs(counted - scaled) <= 1 ? counted : scaled;
    };
    const observer = new ResizeObserver((entries) => {
        const entry = entries[entries.length - 1];
        const counted = entry.devicePixelContentBoxSize ? entry.devicePixelContentBoxSize[0] : {};
        post(kCanvasResize, devicePixels(entry.contentRect.width, counted.inlineSize),
             devicePixels(entry.contentRect.height, counted.blockSize), 0);
    });
    try {
        observer.observe(canvas, {box: "device-pixel-content-box"});
    } catch (error) {
        observer.observe(canvas);
    }
};
