// The source of the shown document: the markup inside its root element.
(function () {
    return document.documentElement ? document.documentElement.innerHTML : '';
})
