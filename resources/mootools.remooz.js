/*
 * Tillbox picture zoom.
 *
 * Plain modern JavaScript despite the file's historical name: no library.
 * Adds `Tillbox.Zoom` to the cart's namespace (creating `Tillbox` when the
 * cart script is missing) and no other global.
 *
 * A link marked data-tillbox-zoom (the product picture of the listing) opens
 * its target picture in a modal dialog instead of leaving the page. Escape,
 * the close button or a click beside the picture close it, and the keyboard
 * focus returns to the link. Without this script the link simply opens the
 * picture. The frame's shadow, the close box and the spinner are the remooz
 * images, placed by remooz.css.
 */
(function (window, document) {
	"use strict";

	const Tillbox = window.Tillbox || {};
	window.Tillbox = Tillbox;

	let dialog = null;
	let picture = null;
	let caption = null;
	let opener = null;

	function closeLabel() {
		const label = typeof Tillbox.text === "function" ? Tillbox.text("i18nClose") : "";
		return label || "\u00D7";
	}

	function build() {
		picture = document.createElement("img");
		picture.className = "remoozPicture";
		picture.alt = "";
		picture.addEventListener("load", () => dialog.classList.remove("remoozLoading"));
		picture.addEventListener("error", () => {
			dialog.classList.remove("remoozLoading");
			dialog.classList.add("remoozFailed");
		});

		caption = document.createElement("p");
		caption.className = "remoozCaption";
		caption.id = "remooz-caption";

		const close = document.createElement("button");
		close.type = "button";
		close.className = "remoozClose";
		close.addEventListener("click", () => Zoom.close());

		const frame = document.createElement("div");
		frame.className = "remoozFrame";
		const spinner = document.createElement("span");
		spinner.className = "remoozSpinner";
		frame.append(spinner, picture, caption, close);

		dialog = document.createElement("dialog");
		dialog.className = "remooz";
		dialog.setAttribute("aria-labelledby", "remooz-caption");
		dialog.append(frame);
		// A click on the backdrop lands on the dialog itself, outside the frame.
		dialog.addEventListener("click", (event) => {
			if (event.target === dialog) Zoom.close();
		});
		dialog.addEventListener("close", () => {
			picture.removeAttribute("src");
			const back = opener;
			opener = null;
			if (back && document.contains(back)) back.focus();
		});
		document.body.append(dialog);
	}

	const Zoom = {
		// Shows the picture at url; title names it; from gets the focus back.
		open(url, title, from) {
			if (!dialog) build();
			opener = from || document.activeElement;
			const close = dialog.querySelector(".remoozClose");
			close.setAttribute("aria-label", closeLabel());
			close.title = closeLabel();
			caption.textContent = title || "";
			caption.hidden = !title;
			picture.alt = title || "";
			dialog.classList.remove("remoozFailed");
			dialog.classList.add("remoozLoading");
			picture.src = url;
			if (picture.complete && picture.naturalWidth) dialog.classList.remove("remoozLoading");
			if (!dialog.open) dialog.showModal();
			close.focus();
		},

		close() {
			if (dialog && dialog.open) dialog.close();
		},

		get isOpen() {
			return !!(dialog && dialog.open);
		}
	};

	document.addEventListener("click", (event) => {
		if (event.defaultPrevented || event.button !== 0 || event.metaKey || event.ctrlKey || event.shiftKey || event.altKey) return;
		const link = event.target.closest && event.target.closest("a[data-tillbox-zoom]");
		if (!link || !link.href || typeof HTMLDialogElement === "undefined") return;
		event.preventDefault();
		const image = link.querySelector("img");
		const title = image ? image.alt : link.textContent;
		// Names are the shop's HTML; the caption shows their text.
		Zoom.open(link.href, typeof Tillbox.htmlToText === "function" ? Tillbox.htmlToText(title) : title.trim(), link);
	});

	Tillbox.Zoom = Zoom;
})(window, document);
